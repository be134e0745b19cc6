#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QLabel;

namespace krm::gui {

class ImageButton;

// The program's message box: borderless, on the "MSG" picture, the text in the current language's
// font and a single OK button. Nearly every message of the program goes through it.
class MessageBox : public QDialog {
    Q_OBJECT
public:
    MessageBox(QWidget* parent, const QString& text, const QString& fontFamily);

    // Shows the message modally, centred over parent on parent's screen, and returns when it is dismissed.
    static void show(QWidget* parent, const QString& text, const QString& fontFamily);

    QString text() const;

protected:
    void paintEvent(QPaintEvent*) override;
    // Enter, Return and Space dismiss the message as the OK button does (Escape too, as in every dialog).
    void keyPressEvent(QKeyEvent* e) override;

private:
    QPixmap background_;
    QLabel* text_;
    ImageButton* ok_;
};

} // namespace krm::gui
