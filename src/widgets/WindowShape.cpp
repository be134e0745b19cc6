#include "widgets/WindowShape.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

namespace krm::gui {

namespace {

const QString kCutterName = QStringLiteral("ShapeCutter");

// Drawn last over the whole window: makes the pixels outside the window's mask transparent again,
// whatever the widgets below drew there.
class ShapeCutter : public QWidget {
public:
    explicit ShapeCutter(QWidget* window) : QWidget(window) {
        setObjectName(kCutterName);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QRegion outside = QRegion(rect()) - parentWidget()->mask();
        if (outside.isEmpty()) return;
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setClipRegion(outside);
        p.fillRect(rect(), Qt::transparent);
    }
};

} // namespace

ShapeMethod platformShapeMethod() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ? ShapeMethod::ClearPixels
                                                                                : ShapeMethod::Mask;
}

void setWindowShape(QWidget* window, const QBitmap& mask, ShapeMethod method) {
    auto* cutter = window->findChild<ShapeCutter*>(kCutterName, Qt::FindDirectChildrenOnly);
    if (mask.isNull())
        window->clearMask();
    else
        window->setMask(mask);
    if (method != ShapeMethod::ClearPixels) return;
    // The surface gets an alpha channel; it is chosen when the native window is made, so the first call
    // comes before the window is shown.
    window->setAttribute(Qt::WA_TranslucentBackground);
    if (!cutter) cutter = new ShapeCutter(window);
    cutter->setGeometry(window->rect());
    cutter->setVisible(!mask.isNull());
    cutter->raise();
}

} // namespace krm::gui
