#include "widgets/SkinWidgets.h"

#include <QPalette>
#include <QWidget>

namespace krm::gui {

QColor toQColor(SkinColour colour) {
    return QColor(colourRed(colour), colourGreen(colour), colourBlue(colour));
}

QFont skinFont(const QString& family, int pointSize, bool bold) {
    QFont font(family.isEmpty() ? QStringLiteral("DejaVu Sans") : family);
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

} // namespace krm::gui
