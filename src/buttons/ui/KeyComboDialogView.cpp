#include "buttons/ui/KeyComboDialogView.h"

#include "buttons/QtKeyMapping.h"
#include "shell/Skin.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"
#include "widgets/WindowShape.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include <initializer_list>

namespace krm::gui {

namespace {

struct ModifierBox {
    KeyComboDialog::Modifier modifier;
    const char* name;
};
constexpr std::array<ModifierBox, 4> kBoxes{{{KeyComboDialog::kCtrl, "CB_Ctrl"},
                                             {KeyComboDialog::kShift, "CB_Shift"},
                                             {KeyComboDialog::kAlt, "CB_Alt"},
                                             {KeyComboDialog::kWin, "CB_Win"}}};

QString text(const TextSource& texts, std::string_view id) {
    return QString::fromStdString(texts.text(id));
}

} // namespace

// --- KeyComboDialogView ---

KeyComboDialogView::KeyComboDialogView(QWidget* mainWindow, const TextSource& texts, int language,
                                       const QString& fontFamily)
    : QWidget(mainWindow, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), frame_(this) {
    setObjectName(QStringLiteral("TForm2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(texts, "Str500"));

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edt_Assembly"));
    edit_->setReadOnly(true);
    edit_->setFrame(false);
    edit_->setAlignment(Qt::AlignCenter);
    edit_->setContextMenuPolicy(Qt::NoContextMenu);
    edit_->installEventFilter(this);
    installEventFilter(this); // keys reach the dialog before its controls

    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        auto* box = new PictureCheckBox(this);
        box->setObjectName(QString::fromLatin1(kBoxes[i].name));
        const auto modifier = kBoxes[i].modifier;
        connect(box, &QAbstractButton::clicked, this,
                [this, modifier](bool on) { modifierClicked(modifier, on); });
        boxes_[i] = box;
    }

    connect(frame_.confirm(), &ImageButton::clicked, this, &KeyComboDialogView::confirmClicked);
    connect(frame_.clear(), &ImageButton::clicked, this, &KeyComboDialogView::clearClicked);
    connect(frame_.close(), &ImageButton::clicked, this, &KeyComboDialogView::closeClicked);

    // Reading order: the close button on the title line, the capture, the boxes, then the buttons. Tab in
    // the capture is a key; Shift+Tab leaves it.
    QWidget* previous = frame_.close();
    for (QWidget* w : std::initializer_list<QWidget*>{edit_, boxes_[0], boxes_[1], boxes_[2], boxes_[3],
                                                      frame_.confirm(), frame_.clear()}) {
        setTabOrder(previous, w);
        previous = w;
    }

    applySkin(texts, language, fontFamily);
    centreOn(mainWindow);
    showText();
}

void KeyComboDialogView::applySkin(const TextSource& texts, int language, const QString& fontFamily) {
    frame_.applySkin(SkinDialog::KeyCombination, language, fontFamily, layout_);
    DialogFrame::place(edit_, layout_, "Edt_Assembly", fontFamily);
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        DialogFrame::place(boxes_[i], layout_, kBoxes[i].name, fontFamily);

    // The edit is white and borderless with the skin's edit text colour.
    QPalette pal = edit_->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, toQColor(layout_.colour("Color_K_AK")));
    edit_->setPalette(pal);

    frame_.title()->setText(text(texts, "Str500"));
    frame_.confirm()->setText(text(texts, "Str501"));
    frame_.clear()->setText(text(texts, "Str502"));
    static constexpr std::array<const char*, 4> kNames{"Ctrl", "Shift", "Alt", "Win"};
    for (std::size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setText(QString::fromLatin1(kNames[i]));
}

void KeyComboDialogView::centreOn(const QWidget* mainWindow) {
    frame_.centreOn(mainWindow);
}

PictureCheckBox* KeyComboDialogView::modifierBox(KeyComboDialog::Modifier m) const {
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        if (kBoxes[i].modifier == m) return boxes_[i];
    return nullptr;
}

void KeyComboDialogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    frame_.paint(p);
}

void KeyComboDialogView::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // The keys go to the dialog at once, with a window manager or without one.
    activateWindow();
    edit_->setFocus();
}

bool KeyComboDialogView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept(); // every key belongs to the capture, none to a shortcut
            return true;
        case QEvent::KeyPress:
            captureKey(static_cast<QKeyEvent*>(event));
            return true;
        case QEvent::KeyRelease:
            return true;
        default:
            break;
        }
    }
    // Outside the capture (a box or button has the focus, and did not take the key) Esc closes.
    if (watched == this && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        closeClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void KeyComboDialogView::captureKey(const QKeyEvent* event) {
    // The way out for the keyboard: Shift+Tab goes on to the controls (a key pressed with Shift held is
    // no key of a combination: modifiers come from the boxes), and Esc twice in a row closes the dialog
    // as its close button does. A single Tab or Esc is captured.
    if (event->key() == Qt::Key_Backtab) {
        escapePressed_ = false;
        focusNextPrevChild(false);
        return;
    }
    // Shift, Ctrl, Alt and Meta alone are never captured (the boxes give the modifiers); passed on, they
    // would drop a whole combination on the way to Shift+Tab.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return;
    default:
        break;
    }
    if (!event->isAutoRepeat()) {
        if (event->key() == Qt::Key_Escape && escapePressed_) {
            closeClicked();
            return;
        }
        escapePressed_ = event->key() == Qt::Key_Escape;
    }
    keyDown(event);
}

void KeyComboDialogView::keyDown(const QKeyEvent* event) {
    if (event->isAutoRepeat()) return; // a key held down is captured once
    const Qt::KeyboardModifiers mods = event->modifiers();
    const unsigned virtualKey = virtualKeyFromQtKey(event->key(), mods.testFlag(Qt::KeypadModifier),
                                                    event->nativeScanCode(), event->nativeVirtualKey());
    if (virtualKey == 0) return;
    model_.keyDown(virtualKey, mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
                   mods.testFlag(Qt::AltModifier));
    showText();
}

void KeyComboDialogView::modifierClicked(KeyComboDialog::Modifier m, bool ticked) {
    model_.setModifier(m, ticked);
    showText();
    // A box ticked from the keyboard keeps the focus, so the next box is a Tab away.
    if (focusWidget() != modifierBox(m)) edit_->setFocus();
}

void KeyComboDialogView::confirmClicked() {
    const KeyComboDialog::Result result = model_.confirm();
    emit confirmed(QString::fromStdString(result.code), QString::fromStdString(result.caption));
    emit finished();
    close();
}

void KeyComboDialogView::clearClicked() {
    model_.clear();
    escapePressed_ = false;
    for (PictureCheckBox* box : boxes_) {
        const QSignalBlocker block(box);
        box->setChecked(false);
    }
    showText();
    edit_->setFocus();
}

void KeyComboDialogView::closeClicked() {
    emit finished();
    close();
}

void KeyComboDialogView::showText() {
    edit_->setText(QString::fromStdString(model_.text()));
}

} // namespace krm::gui
