#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

namespace krm::gui {

// The skinned slider of a stepped bar: the "Slider_Ruler" track and the "Slider_Thumb" thumb on the
// skin's slider colour. Dragging reports the value under the pointer; letting go reports the value and
// where the pointer was, so that the editor can tell a drag from a plain click. Tab reaches it; the arrow
// keys (and Home, End) move it a stop, which it reports as a step at once. A screen reader hears a
// slider, named by its accessible name, with its value as the text of its stop.
class StepSliderView : public QWidget {
    Q_OBJECT
public:
    StepSliderView(int maximum, QWidget* parent);

    int value() const { return value_; }
    void setValue(int value);
    int maximum() const { return maximum_; }
    // What each stop stands for, in order ("200" .. "6400"): a screen reader hears the value as the
    // text of the stop it is at (its number, where the text is one).
    void setStepTexts(const QStringList& texts) { stepTexts_ = texts; }
    QString valueText() const;
    const QStringList& stepTexts() const { return stepTexts_; }
    void setVertical(bool vertical);
    void setBackground(QColor colour);

signals:
    void dragged(int value);
    // `position` along the slider (from the left, or from the bottom when vertical) of `extent` pixels.
    void released(int value, int position, int extent);
    // A key moved it to `value`, a stop.
    void stepped(int value);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int extent() const;
    int along(const QPoint& p) const;
    int thumbSize() const;
    int valueAt(int position) const;

    int maximum_;
    int value_ = 0;
    bool vertical_ = false;
    bool pressed_ = false;
    QColor background_;
    QStringList stepTexts_;
};

} // namespace krm::gui
