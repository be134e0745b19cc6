#include "widgets/SkinWidgets.h"

#include "base/ResourceTable.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace krm::gui {

void Swatch::paintEvent(QPaintEvent*) {
    // The frame picture's inner edge: a square inset by 1.8 of 18 pixels with corners of 3.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Window));
    const qreal inset = width() * 1.8 / 18;
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), width() * 3.0 / 18,
                      height() * 3.0 / 18);
}

QColor toQColor(SkinColour colour) {
    return QColor(colourRed(colour), colourGreen(colour), colourBlue(colour));
}

namespace {
// The few CJK glyphs the English tables show (the caption naming the Chinese table), cut from
// WenQuanYi Micro Hei: drawn from the whole system font they would map 3 MB of it at every start.
const QString& languageNamesFamily() {
    static const QString kFamily = [] {
        const auto bytes = ResourceTable::find("LanguageNames");
        if (!bytes) return QString();
        const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes->data()),
                                                        static_cast<qsizetype>(bytes->size()));
        const int id = QFontDatabase::addApplicationFontFromData(data);
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return kFamily;
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
        const QColor colour = toQColor(placement.colour);
        QColor faded = colour;
        faded.setAlphaF(kFadedOpacity);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            pal.setColor(role, colour);
            pal.setColor(QPalette::Disabled, role, faded);
        }
        widget->setPalette(pal);
    }
}

QString entryBoxStyle(const SkinLayout& layout, EntryRegion region) {
    struct Families {
        const char *text, *back, *border, *highlight;
    };
    const Families f = region == EntryRegion::Performance
                           ? Families{"Color_D", "Color_D_Back", "Color_D_Border", "Color_D_Border"}
                       : region == EntryRegion::Macro
                           ? Families{"Color_F_Font", "Color_F_LBack", "Color_F_LBorder", "Color_MACRO"}
                           : Families{"Color_J_Font", "Color_J_Back", "Color_J_Border", "Color_G_SP"};
    const QColor text = toQColor(layout.colour(f.text)), back = toQColor(layout.colour(f.back));
    const QColor border = toQColor(layout.colour(f.border)), highlight = toQColor(layout.colour(f.highlight));
    // Switched off, the text fades half way into the box.
    const QColor faded((text.red() + back.red()) / 2, (text.green() + back.green()) / 2,
                       (text.blue() + back.blue()) / 2);
    return QStringLiteral(
               "QLineEdit, QComboBox, QSpinBox, QListWidget, QListView { color: %1; background: %2; "
               "border: 1px solid %3; selection-color: #ffffff; selection-background-color: %4; }"
               "QLineEdit:disabled, QComboBox:disabled, QSpinBox:disabled { color: %5; }"
               "QComboBox { padding-left: 6px; }"
               "QComboBox QAbstractItemView { color: %1; background: %2; border: 1px solid %3; "
               "selection-color: #ffffff; selection-background-color: %4; outline: none; }")
        .arg(text.name(), back.name(), border.name(), highlight.name(), faded.name());
}

QString menuStyle(const SkinLayout& layout) {
    const auto rgb = [&layout](const char* family) { return toQColor(layout.colour(family)).name(); };
    return QStringLiteral("QMenu { background: %1; color: %2; border: 1px solid %3; padding: 2px; }"
                          "QMenu::item { padding: 4px 18px; background: transparent; }"
                          "QMenu::item:selected { background: %4; color: %5; }"
                          "QMenu::item:disabled { color: %3; }"
                          "QMenu::separator { height: 1px; background: %3; margin: 3px 6px; }")
        .arg(rgb("Color_G_Back"), rgb("Color_G"), rgb("Color_G_Border"), rgb("Color_G_SP"),
             rgb("Color_G_SF"));
}

QString dialogStyle(const SkinLayout& layout) {
    const auto rgb = [&layout](const char* family) { return toQColor(layout.colour(family)).name(); };
    return QStringLiteral(
               "QDialog, QWidget#dialogBody { background: %1; color: %2; }"
               "QLabel, QCheckBox, QRadioButton, QGroupBox { color: %2; background: transparent; }"
               "QPushButton { color: %2; background: %4; border: 1px solid %3; border-radius: 4px; "
               "padding: 4px 12px; }"
               "QPushButton:hover, QPushButton:focus { color: #ffffff; background: %5; }"
               "QTableView { color: %6; background: %7; border: 1px solid %8; gridline-color: %8; "
               "selection-color: #ffffff; selection-background-color: %5; }"
               "QHeaderView::section { color: %2; background: %1; border: none; "
               "border-bottom: 1px solid %8; padding: 3px 6px; }"
               "QTableView QTableCornerButton::section { background: %1; border: none; }")
               .arg(rgb("Color_G_Back"), rgb("Color_G"), rgb("Color_G_Border"), rgb("Color_F_Back"),
                    rgb("Color_MACRO"), rgb("Color_F_Font"), rgb("Color_F_LBack"), rgb("Color_F_LBorder")) +
           entryBoxStyle(layout, EntryRegion::Macro) + menuStyle(layout);
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
