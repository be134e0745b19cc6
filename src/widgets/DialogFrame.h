#pragma once

#include "shell/Skin.h"
#include "shell/SkinLayout.h"

#include <QPixmap>
#include <QString>

class QLabel;
class QPainter;
class QWidget;

namespace krm::gui {

class ImageButton;

// What the small skinned dialogs share: a borderless window on the "MSG" picture (its shape the
// picture's), the title, and the Confirm, Clear and close buttons ("BtnS" and "ExitS" pictures), all
// placed by the dialog's skin pass of the active look, in the language's font. The dialog owns the
// widgets; the frame places and draws them.
class DialogFrame {
public:
    // Creates the title and the three buttons on `dialog`.
    explicit DialogFrame(QWidget* dialog);

    // The dialog's skin pass of look `language`: size, shape, title and buttons; `layout` keeps the
    // placements for the dialog's own controls.
    void applySkin(SkinDialog kind, int language, const QString& fontFamily, SkinLayout& layout);
    // Places a control of the dialog where the skin pass put it.
    static void place(QWidget* control, const SkinLayout& layout, const char* name,
                      const QString& fontFamily);
    // The background, under everything else.
    void paint(QPainter& painter) const;
    // Centres the dialog on the main window, on the screen the window is on.
    void centreOn(const QWidget* mainWindow) const;

    QLabel* title() const { return title_; }
    ImageButton* confirm() const { return confirm_; }
    ImageButton* clear() const { return clear_; }
    ImageButton* close() const { return close_; }

private:
    QWidget* dialog_;
    QPixmap background_;
    QLabel* title_;
    ImageButton* confirm_;
    ImageButton* clear_;
    ImageButton* close_;
};

} // namespace krm::gui
