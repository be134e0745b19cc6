#pragma once

#include <QLabel>
#include <QPixmap>

namespace krm::gui {

// A skinned button: a picture per state (normal, pointer over it, pressed) with an optional caption
// drawn on top. Emits clicked() on release inside the button.
class ImageButton : public QLabel {
    Q_OBJECT
public:
    explicit ImageButton(QWidget* parent = nullptr);

    void setPictures(const QPixmap& normal, const QPixmap& hovered, const QPixmap& pressed = {});
    // Shows the pressed picture while marked (the current page or option).
    void setMarked(bool marked);
    bool isMarked() const { return marked_; }

signals:
    void clicked();
    void entered();
    void left();

protected:
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    const QPixmap& current() const;
    QPixmap normal_, hovered_, pressed_;
    bool hover_ = false;
    bool down_ = false;
    bool marked_ = false;
};

} // namespace krm::gui
