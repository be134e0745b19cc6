#include "widgets/SkinWidgets.h"

#include "base/ResourceTable.h"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace krm::gui {

QColor toQColor(SkinColour colour) {
    return QColor(colourRed(colour), colourGreen(colour), colourBlue(colour));
}

namespace {
// The few CJK glyphs the English tables show (the caption naming the Chinese table), cut from
// WenQuanYi Micro Hei: drawn from the whole system font they would map 3 MB of it at every start.
const QString& languageNamesFamily() {
    static const QString family = [] {
        const auto bytes = ResourceTable::find("LanguageNames");
        if (!bytes) return QString();
        const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes->data()),
                                                        static_cast<qsizetype>(bytes->size()));
        const int id = QFontDatabase::addApplicationFontFromData(data);
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return family;
}
} // namespace

QFont skinFont(const QString& family, int pointSize, bool bold) {
    QFont font;
    QStringList families{family.isEmpty() ? QStringLiteral("DejaVu Sans") : family};
    if (!languageNamesFamily().isEmpty()) families.append(languageNamesFamily());
    font.setFamilies(families);
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    font.setBold(bold);
    return font;
}

void applyPlacement(QWidget* widget, const Placement& placement, const QString& fontFamily) {
    widget->setGeometry(placement.x, placement.y, placement.width, placement.height);
    if (placement.fontSize > 0) {
        widget->setFont(skinFont(fontFamily, placement.fontSize));
        QPalette pal = widget->palette();
        pal.setColor(QPalette::WindowText, toQColor(placement.colour));
        pal.setColor(QPalette::Text, toQColor(placement.colour));
        pal.setColor(QPalette::ButtonText, toQColor(placement.colour));
        widget->setPalette(pal);
    }
}

void orderTabsByPosition(std::vector<QWidget*> widgets) {
    constexpr int kRowSlack = 8; // px: skins place a row's controls a few pixels apart in height
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    // Rows: a widget within the slack of its row's first widget joins the row; each row reads from the left.
    for (auto row = widgets.begin(); row != widgets.end();) {
        const int top = (*row)->y();
        const auto end =
            std::find_if(row, widgets.end(), [top](const QWidget* w) { return w->y() > top + kRowSlack; });
        std::stable_sort(row, end, [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        row = end;
    }
    for (std::size_t i = 1; i < widgets.size(); ++i) QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

} // namespace krm::gui
