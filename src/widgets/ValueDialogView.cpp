#include "widgets/ValueDialogView.h"

#include "buttons/QtKeyMapping.h"
#include "widgets/ImageButton.h"
#include "widgets/SkinWidgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace krm::gui {

ValueDialogView::ValueDialogView(QWidget* mainWindow, Mode mode, const QStringList& titles,
                                 const QString& confirm, const QString& clear, int language,
                                 const QString& fontFamily, bool pressRow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), mode_(mode),
      frame_(this), key_(pressRow) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(titles.value(0));
    const char* const forms[] = {"TForm3", "TForm4", "TForm5", "TForm6", "dlgPass"};
    setObjectName(QString::fromLatin1(forms[static_cast<int>(mode)]));
    const bool xy = mode == Mode::Xy;
    frame_.applySkin(xy ? SkinDialog::XY : SkinDialog::Value, language, fontFamily, layout_);
    frame_.title()->setText(titles.value(0));
    frame_.confirm()->setText(confirm);
    frame_.clear()->setText(clear);

    const char* const names[] = {"Edt_Value", "Edt_EditX", "Edt_EditY"};
    for (int k = 0; k < (xy ? 2 : 1); ++k) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(xy ? names[k + 1] : names[0]));
        DialogFrame::place(edit, layout_, xy ? names[k + 1] : names[0], fontFamily);
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);
        // White, borderless, in the dialog's edit colour.
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Text, toQColor(layout_.colour(xy ? "Color_M_MN" : "Color_L_MN")));
        edit->setPalette(pal);
        if (mode == Mode::Key) {
            edit->setReadOnly(true);
            edit->setContextMenuPolicy(Qt::NoContextMenu);
            edit->installEventFilter(this);
        }
        if (mode == Mode::Password) edit->setEchoMode(QLineEdit::Password);
        // Named as the dialog asks for it: its title, or the X or Y caption beside it.
        edit->setAccessibleName(titles.value(xy ? k + 1 : 0));
        connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& t) { checked(edit, t); });
        edits_.push_back(edit);
        last_.emplace_back();
    }
    if (xy) {
        for (const char* caption : {"lbl_XTitle", "lbl_YTitle"}) {
            auto* label = new QLabel(titles.value(caption[4] == 'X' ? 1 : 2), this);
            label->setObjectName(QString::fromLatin1(caption));
            DialogFrame::place(label, layout_, caption, fontFamily);
        }
    }

    connect(frame_.confirm(), &ImageButton::clicked, this, &QDialog::accept);
    // The password dialog's second button is "Cancel": it closes without the entry.
    if (mode == Mode::Password)
        connect(frame_.clear(), &ImageButton::clicked, this, &QDialog::reject);
    else
        connect(frame_.clear(), &ImageButton::clicked, this, &ValueDialogView::clearClicked);
    connect(frame_.close(), &ImageButton::clicked, this, &QDialog::reject);
    // Reading order: the close button on the title line, the edits, Confirm and Clear.
    QWidget* previous = frame_.close();
    std::vector<QWidget*> order(edits_.begin(), edits_.end());
    order.push_back(frame_.confirm());
    order.push_back(frame_.clear());
    for (QWidget* w : order) {
        setTabOrder(previous, w);
        previous = w;
    }
    frame_.centreOn(mainWindow);
}

void ValueDialogView::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The keys go to the dialog at once, with a window manager or without one.
    activateWindow();
    edits_.front()->setFocus();
}

void ValueDialogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    frame_.paint(p);
}

void ValueDialogView::keyPressEvent(QKeyEvent* e) {
    // Enter confirms wherever the focus is, but on Clear and the close button, which it presses.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (focusWidget() == frame_.clear() || focusWidget() == frame_.close())
            return QDialog::keyPressEvent(e);
        accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool ValueDialogView::eventFilter(QObject* watched, QEvent* event) {
    // The key dialog's edit takes one key: every key but Tab, Shift+Tab, Enter and Esc, which keep their
    // meaning in the dialog.
    if (mode_ == Mode::Key && watched == edits_.front() && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        switch (k->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return false;
        default:
            break;
        }
        const unsigned v =
            virtualKeyFromQtKey(k->key(), k->modifiers().testFlag(Qt::KeypadModifier), k->nativeScanCode(),
                                k->nativeVirtualKey(), ModifierForm::Sided);
        if (v && key_.keyDown(v)) edits_.front()->setText(QString::fromStdString(key_.text()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ValueDialogView::checked(QLineEdit* edit, const QString& t) {
    const std::size_t k = edit == edits_.front() ? 0 : 1;
    const std::string s = t.toStdString();
    std::string fixed = s;
    switch (mode_) {
    case Mode::Name:
        if (!macro_name_dialog::accepts(s)) fixed = last_[k];
        break;
    case Mode::Delay:
        fixed = delay_dialog::accepts(s) ? delay_dialog::normalize(s) : last_[k];
        break;
    case Mode::Xy:
        fixed = xy_dialog::accepts(s) ? xy_dialog::normalize(s) : last_[k];
        break;
    case Mode::Key:
    case Mode::Password:
        break;
    }
    last_[k] = fixed;
    if (fixed != s) edit->setText(QString::fromStdString(fixed));
}

void ValueDialogView::clearClicked() {
    key_.clear();
    for (std::size_t k = 0; k < edits_.size(); ++k) {
        edits_[k]->clear();
        last_[k].clear();
    }
    edits_.front()->setFocus();
}

} // namespace krm::gui

namespace krm::gui {

std::optional<QString> askPassword(QWidget* mainWindow, int language, const QString& fontFamily) {
    // Caption, prompt and buttons are the hidden pages' own, in English in every language.
    ValueDialogView dialog(mainWindow, ValueDialogView::Mode::Password, {QStringLiteral("PASSWORD:")},
                           QStringLiteral("OK"), QStringLiteral("Cancel"), language, fontFamily);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.setWindowTitle(QStringLiteral("Password"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.edit()->text();
}

} // namespace krm::gui
