#pragma once

#include "base/TextSource.h"
#include "buttons/KeyComboDialog.h"
#include "shell/SkinLayout.h"
#include "widgets/DialogFrame.h"
#include "widgets/PictureCheckBox.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QKeyEvent;

namespace krm::gui {

class ImageButton;

// The key-combination dialog ("Assembly Key"): a borderless, top-most window on the "Msg" picture with
// a read-only edit that captures keys, the four modifier boxes, Confirm, Clear and a close button.
// The capture takes every key, Tab and a single Esc included; Shift+Tab leaves it for the controls
// (Tab walks them in reading order, Enter or Space presses, Esc closes) and Esc twice closes. It
// forwards everything to the dialog model and reports the confirmed code; it closes itself (and is
// deleted) after Confirm and Close.
class KeyComboDialogView : public QWidget {
    Q_OBJECT
public:
    // `language` picks the skin section; texts and font are the active language's.
    KeyComboDialogView(QWidget* mainWindow, const TextSource& texts, int language, const QString& fontFamily);

    // Centres the dialog on the main window.
    void centreOn(const QWidget* mainWindow);

    const KeyComboDialog& model() const { return model_; }
    QLineEdit* edit() const { return edit_; }
    PictureCheckBox* modifierBox(KeyComboDialog::Modifier m) const;
    ImageButton* confirmButton() const { return frame_.confirm(); }
    ImageButton* clearButton() const { return frame_.clear(); }
    ImageButton* closeButton() const { return frame_.close(); }

signals:
    // Confirm: the code text ("02" + modifiers + key 1 + key 2) and the caption for applyDialogCode.
    void confirmed(const QString& code, const QString& caption);
    // Confirm or Close: the dialog is going away, the main window's cover with it.
    void finished();

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent*) override;

private:
    void applySkin(const TextSource& texts, int language, const QString& fontFamily);
    void captureKey(const QKeyEvent* event);
    void keyDown(const QKeyEvent* event);
    void modifierClicked(KeyComboDialog::Modifier m, bool ticked);
    void confirmClicked();
    void clearClicked();
    void closeClicked();
    void showText();

    KeyComboDialog model_;
    SkinLayout
        layout_; // the dialog's own placements (its skin pass sizes the layout's window to the picture)
    DialogFrame frame_;
    QLineEdit* edit_ = nullptr;
    std::array<PictureCheckBox*, 4> boxes_{};
    bool escapePressed_ = false; // the last key captured was Esc: another Esc closes
};

} // namespace krm::gui
