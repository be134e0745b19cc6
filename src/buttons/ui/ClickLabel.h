#pragma once

#include <QLabel>

namespace krm::gui {

// A transparent label that reports the pointer coming and going and a left click (press and release
// inside it): the key labels, the mode-switch captions and their tick pictures.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);

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
    bool down_ = false;
};

} // namespace krm::gui
