#pragma once

#include <QLabel>

namespace krm::gui {

// A label that reports the pointer coming and going and a left click (press and release inside it).
// The base of every clickable skinned control: image buttons, key labels, mode-switch captions and
// their tick pictures, function menu items.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);

    bool isHovered() const { return hover_; }
    bool isDown() const { return down_; }

signals:
    void clicked();
    void entered();
    void left();

protected:
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    bool hover_ = false;
    bool down_ = false;
};

} // namespace krm::gui
