#include "app/gui/ImageButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace krm::gui {

ImageButton::ImageButton(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::setPictures(const QPixmap& normal, const QPixmap& hovered, const QPixmap& pressed) {
    normal_ = normal;
    hovered_ = hovered.isNull() ? normal : hovered;
    pressed_ = pressed.isNull() ? hovered_ : pressed;
    update();
}

void ImageButton::setMarked(bool marked) {
    if (marked_ == marked) return;
    marked_ = marked;
    update();
}

ImageButton::Look ImageButton::look() const {
    if (down_) return Look::Pressed;
    if (hover_) return Look::Hovered;
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

void ImageButton::enterEvent(QEnterEvent*) {
    hover_ = true;
    update();
    emit entered();
}

void ImageButton::leaveEvent(QEvent*) {
    hover_ = false;
    down_ = false;
    update();
    emit left();
}

void ImageButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    down_ = true;
    update();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !down_) return;
    down_ = false;
    update();
    if (rect().contains(e->position().toPoint())) emit clicked();
}

void ImageButton::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        const QPixmap& pm = current();
        if (!pm.isNull()) p.drawPixmap(rect(), pm);
    }
    QLabel::paintEvent(e); // the caption
}

} // namespace krm::gui
