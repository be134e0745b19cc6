#pragma once

#include "widgets/ClickLabel.h"

#include <QPixmap>

namespace krm::gui {

// A skinned button: a picture per state (normal, pointer over it, pressed or marked) with an optional
// caption drawn on top, inside the contents margins (the label's inset on irregular pictures).
// Emits clicked() on a left-button release inside the button.
class ImageButton : public ClickLabel {
    Q_OBJECT
public:
    enum class Look { Normal, Hovered, Pressed };

    explicit ImageButton(QWidget* parent = nullptr);

    void setPictures(const QPixmap& normal, const QPixmap& hovered, const QPixmap& pressed = {});
    // The three pictures of a family: `family` + "_01" (normal), "_02" (hovered), "_03" (pressed).
    void setPictureFamily(const QString& family);
    // Shows the pressed picture while marked (the current page or option) and the pointer is elsewhere.
    void setMarked(bool marked);
    bool isMarked() const { return marked_; }
    // The picture shown now: pressed while the button is held, hovered while the pointer is on it,
    // pressed while marked, normal otherwise.
    Look look() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const QPixmap& current() const;
    QPixmap normal_, hovered_, pressed_;
    bool marked_ = false;
};

} // namespace krm::gui
