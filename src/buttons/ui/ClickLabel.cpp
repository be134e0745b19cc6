#include "buttons/ui/ClickLabel.h"

#include <QMouseEvent>

namespace krm::gui {

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::enterEvent(QEnterEvent*) {
    emit entered();
}

void ClickLabel::leaveEvent(QEvent*) {
    down_ = false;
    emit left();
}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QLabel::mousePressEvent(e);
    down_ = true;
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !down_) return QLabel::mouseReleaseEvent(e);
    down_ = false;
    e->accept();
    if (rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace krm::gui
