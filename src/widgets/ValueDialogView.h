#pragma once

#include "buttons/ValueDialogs.h"
#include "shell/SkinLayout.h"
#include "widgets/DialogFrame.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QLineEdit;

namespace krm::gui {

// The small dialogs that ask for one value or two, in the key-combination dialog's skinned frame: the
// macro name, one key, a delay, an X/Y move and the password of the hidden pages. A borderless top-most
// window on the "MSG" picture with its title, white borderless edits, Confirm, Clear and a close button.
// Enter confirms, Esc closes (as the close button does), Tab walks the edits and buttons; Clear empties
// the edits and gives the first one the focus. Each change of an edit is checked and put right at once
// (the dialogs' rules in buttons/ValueDialogs.h). Confirm accepts the dialog, which closes; it is
// deleted when closed.
class ValueDialogView : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Name, Key, Delay, Xy, Password };

    // `title` is the dialog's caption (and its X/Y edits' captions, for Xy, the next two); the buttons
    // read `confirm` and `clear`. `pressRow` tells a key dialog which row it edits.
    ValueDialogView(QWidget* mainWindow, Mode mode, const QStringList& titles, const QString& confirm,
                    const QString& clear, int language, const QString& fontFamily, bool pressRow = true);

    QLineEdit* edit(int k = 0) const { return edits_.at(static_cast<std::size_t>(k)); }
    const KeyDialog& key() const { return key_; }
    DialogFrame& frame() { return frame_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checked(QLineEdit* edit, const QString& text);
    void clearClicked();

    Mode mode_;
    SkinLayout layout_;
    DialogFrame frame_;
    KeyDialog key_;
    std::vector<QLineEdit*> edits_;
    std::vector<std::string> last_; // per edit: the last text the rules accepted
};

// The password dialog of the hidden pages ("Password", the prompt "PASSWORD:", the entry masked, "OK"
// and "Cancel") in the look of language `language`, modal: the entry when confirmed with OK.
std::optional<QString> askPassword(QWidget* mainWindow, int language, const QString& fontFamily);

} // namespace krm::gui
