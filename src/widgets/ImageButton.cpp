#include "widgets/ImageButton.h"

#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QPainter>

namespace krm::gui {

ImageButton::ImageButton(QWidget* parent) : ClickLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

void ImageButton::setPictures(const QPixmap& normal, const QPixmap& hovered, const QPixmap& pressed) {
    normal_ = normal;
    hovered_ = hovered.isNull() ? normal : hovered;
    pressed_ = pressed.isNull() ? hovered_ : pressed;
    update();
}

void ImageButton::setPictureFamily(const QString& family) {
    setPictures(resourcePixmap(family + QStringLiteral("_01")),
                resourcePixmap(family + QStringLiteral("_02")),
                resourcePixmap(family + QStringLiteral("_03")));
}

void ImageButton::setMarked(bool marked) {
    // A marked page tab or option is the one shown or chosen, for a screen reader too.
    setChecked(marked);
    if (marked_ == marked) return;
    marked_ = marked;
    update();
}

ImageButton::Look ImageButton::look() const {
    if (isDown()) return Look::Pressed;
    if (isHovered()) return Look::Hovered;
    return marked_ ? Look::Pressed : Look::Normal;
}

const QPixmap& ImageButton::current() const {
    switch (look()) {
    case Look::Pressed:
        return pressed_;
    case Look::Hovered:
        return hovered_;
    case Look::Normal:
        break;
    }
    return normal_;
}

void ImageButton::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        // Switched off, the button fades in its own colours.
        if (!isEnabled()) p.setOpacity(kFadedOpacity);
        const QPixmap& pm = current();
        if (!pm.isNull()) p.drawPixmap(rect(), pm);
    }
    ClickLabel::paintEvent(e); // the caption
}

} // namespace krm::gui
