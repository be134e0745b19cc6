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

    // A caption that may be longer than the label: it shows cut at a whole character with "…", and the
    // whole caption is the label's tooltip while it does not fit. caption() gives the whole text back
    // (for labels given only setText, the text).
    void setCaption(const QString& caption);
    QString caption() const { return hasCaption_ ? caption_ : text(); }

signals:
    void clicked();
    void entered();
    void left();

protected:
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void showCaption();

    QString caption_;
    bool hasCaption_ = false;
    bool hover_ = false;
    bool down_ = false;
};

} // namespace krm::gui
