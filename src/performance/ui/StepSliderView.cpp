#include "performance/ui/StepSliderView.h"

#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace krm::gui {

namespace {

class StepSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit StepSliderAccessible(StepSliderView* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    const StepSliderView* slider() const { return static_cast<const StepSliderView*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return slider()->valueText();
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return asNumber(slider()->valueText(), slider()->value()); }
    // The mouse is written only by the user's own moves.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override {
        return asNumber(slider()->stepTexts().value(slider()->stepTexts().size() - 1), slider()->maximum());
    }
    QVariant minimumValue() const override { return asNumber(slider()->stepTexts().value(0), 0); }
    QVariant minimumStepSize() const override { return 1; }

private:
    static QVariant asNumber(const QString& text, int otherwise) {
        bool ok = false;
        const int n = text.toInt(&ok);
        return ok ? n : otherwise;
    }
};

QAccessibleInterface* stepSliderAccessible(const QString&, QObject* object) {
    auto* slider = qobject_cast<StepSliderView*>(object);
    return slider ? new StepSliderAccessible(slider) : nullptr;
}

} // namespace

StepSliderView::StepSliderView(int maximum, QWidget* parent) : QWidget(parent), maximum_(maximum) {
    static const bool kAccessibleAsSliders = (QAccessible::installFactory(stepSliderAccessible), true);
    (void)kAccessibleAsSliders;
    setFocusPolicy(Qt::TabFocus);
}

void StepSliderView::setValue(int value) {
    const int was = value_;
    value_ = std::clamp(value, 0, maximum_);
    update();
    if (value_ == was || !QAccessible::isActive()) return;
    QAccessibleValueChangeEvent event(this, value_);
    QAccessible::updateAccessibility(&event);
}

QString StepSliderView::valueText() const {
    if (stepTexts_.size() < 2 || maximum_ <= 0) return stepTexts_.value(0);
    const int stops = static_cast<int>(stepTexts_.size()) - 1;
    return stepTexts_.at((value_ * stops + maximum_ / 2) / maximum_);
}

void StepSliderView::setVertical(bool vertical) {
    vertical_ = vertical;
    update();
}

void StepSliderView::setBackground(QColor colour) {
    background_ = colour;
    update();
}

int StepSliderView::extent() const {
    return vertical_ ? height() : width();
}

int StepSliderView::along(const QPoint& p) const {
    return vertical_ ? height() - p.y() : p.x();
}

int StepSliderView::thumbSize() const {
    return std::min(vertical_ ? width() : height(), extent());
}

int StepSliderView::valueAt(int position) const {
    const int travel = extent() - thumbSize();
    if (travel <= 0) return 0;
    const int v = (position - thumbSize() / 2) * maximum_ / travel;
    return std::clamp(v, 0, maximum_);
}

void StepSliderView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!isEnabled()) p.setOpacity(kFadedOpacity);
    if (background_.isValid()) p.fillRect(rect(), background_);
    const int t = thumbSize();
    const int track = std::max(4, t / 4);
    const QPixmap ruler = resourcePixmap(QStringLiteral("Slider_Ruler"));
    const QRect trackRect = vertical_ ? QRect((width() - track) / 2, 0, track, height())
                                      : QRect(0, (height() - track) / 2, width(), track);
    if (!ruler.isNull())
        p.drawPixmap(trackRect, ruler);
    else
        p.fillRect(trackRect, palette().mid());
    const int offset = maximum_ > 0 ? value_ * (extent() - t) / maximum_ : 0;
    const QRect thumb = vertical_ ? QRect(0, height() - t - offset, t, t) : QRect(offset, 0, t, t);
    const QPixmap thumbPicture = resourcePixmap(QStringLiteral("Slider_Thumb"));
    if (!thumbPicture.isNull())
        p.drawPixmap(thumb, thumbPicture);
    else
        p.fillRect(thumb, palette().highlight());
    if (hasFocus()) {
        // The keyboard's place: a ring round the thumb.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::Active, QPalette::WindowText), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
    }
}

void StepSliderView::keyPressEvent(QKeyEvent* e) {
    const int stops = std::max(static_cast<int>(stepTexts_.size()) - 1, 1);
    const int stride = std::max(maximum_ / stops, 1);
    const int stop = (value_ + stride / 2) / stride;
    int to = stop;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        to = stop - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        to = stop + 1;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = stops;
        break;
    default:
        return QWidget::keyPressEvent(e);
    }
    e->accept();
    to = std::clamp(to, 0, stops);
    if (to == stop) return;
    setValue(to * stride);
    emit stepped(value_);
}

void StepSliderView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    e->accept();
}

void StepSliderView::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_) return;
    setValue(valueAt(along(e->position().toPoint())));
    emit dragged(value_);
}

void StepSliderView::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_ || e->button() != Qt::LeftButton) return;
    pressed_ = false;
    emit released(value_, along(e->position().toPoint()), extent());
}

} // namespace krm::gui
