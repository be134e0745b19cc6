#include "widgets/ClickLabel.h"

#include <QMouseEvent>

namespace krm::gui {

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::enterEvent(QEnterEvent*) {
    hover_ = true;
    update();
    emit entered();
}

void ClickLabel::leaveEvent(QEvent*) {
    hover_ = false;
    down_ = false;
    update();
    emit left();
}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QLabel::mousePressEvent(e);
    down_ = true;
    update();
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !down_) return QLabel::mouseReleaseEvent(e);
    down_ = false;
    update();
    e->accept();
    if (rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace krm::gui
