#include "widgets/ClickLabel.h"

#include <QEvent>
#include <QMouseEvent>

namespace krm::gui {

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::setCaption(const QString& caption) {
    caption_ = caption;
    hasCaption_ = true;
    showCaption();
}

void ClickLabel::showCaption() {
    if (!hasCaption_) return;
    // A few pixels to spare: hinted fonts on some screens draw a little wider than they measure.
    constexpr int kSpare = 3;
    const int room = contentsRect().width() - std::max(indent(), 0) - 2 * margin() - kSpare;
    const QString shown = fontMetrics().elidedText(caption_, Qt::ElideRight, std::max(room, 0));
    setText(shown);
    setToolTip(shown == caption_ ? QString() : caption_);
}

void ClickLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    showCaption();
}

void ClickLabel::changeEvent(QEvent* e) {
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange) showCaption();
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
