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

constexpr int kTickGap = 6; // between a box's tick picture and its caption

struct ModifierBox {
    KeyComboDialog::Modifier modifier;
    const char* name;
};
constexpr std::array<ModifierBox, 4> kBoxes{{{KeyComboDialog::kCtrl, "CB_Ctrl"},
                                             {KeyComboDialog::kShift, "CB_Shift"},
                                             {KeyComboDialog::kAlt, "CB_Alt"},
                                             {KeyComboDialog::kWin, "CB_Win"}}};

const PictureSizes& pictureSizes() {
    static const PictureSizes kSizes = PictureSizes::fromResources();
    return kSizes;
}

QString text(const TextSource& texts, std::string_view id) {
    return QString::fromStdString(texts.text(id));
}

} // namespace

// --- PictureCheckBox ---

PictureCheckBox::PictureCheckBox(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    // Tab reaches it (Space or Enter ticks it); a click leaves the focus in the key capture.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureCheckBox::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        e->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

QSize PictureCheckBox::sizeHint() const {
    const QSize tick = resourcePixmap(QStringLiteral("CbS_D")).deviceIndependentSize().toSize();
    return {tick.width() + kTickGap + fontMetrics().horizontalAdvance(text()),
            std::max(tick.height(), fontMetrics().height())};
}

void PictureCheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap tick = resourcePixmap(isChecked() ? QStringLiteral("CbS_E") : QStringLiteral("CbS_D"));
    const QSize tickSize = tick.deviceIndependentSize().toSize();
    const int y = (height() - tickSize.height()) / 2;
    p.drawPixmap(0, y, tick);
    p.setPen(palette().color(QPalette::WindowText));
    const QRect caption = rect().adjusted(tickSize.width() + kTickGap, 0, 0, 0);
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        // The focus: the caption underlined in its own colour.
        const QRect drawn = p.fontMetrics().boundingRect(caption, Qt::AlignLeft | Qt::AlignVCenter, text());
        p.drawLine(drawn.left(), drawn.bottom(), drawn.right(), drawn.bottom());
    }
}

// --- KeyComboDialogView ---

KeyComboDialogView::KeyComboDialogView(QWidget* mainWindow, const TextSource& texts, int language,
                                       const QString& fontFamily)
    : QWidget(mainWindow, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(texts, "Str500"));

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("lbl_Title"));
    title_->setTextFormat(Qt::PlainText);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

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

    auto button = [this](const char* name, const QString& picture) {
        auto* b = new ImageButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setPictures(resourcePixmap(picture + QStringLiteral("_01")),
                       resourcePixmap(picture + QStringLiteral("_02")),
                       resourcePixmap(picture + QStringLiteral("_03")));
        return b;
    };
    confirm_ = button("IB_Confirm", QStringLiteral("BtnS"));
    clear_ = button("IB_Cancel", QStringLiteral("BtnS"));
    close_ = button("IB_Close", QStringLiteral("ExitS"));
    connect(confirm_, &ImageButton::clicked, this, &KeyComboDialogView::confirmClicked);
    connect(clear_, &ImageButton::clicked, this, &KeyComboDialogView::clearClicked);
    connect(close_, &ImageButton::clicked, this, &KeyComboDialogView::closeClicked);

    // Reading order: the close button on the title line, the capture, the boxes, then the buttons. Tab in
    // the capture is a key; Shift+Tab leaves it.
    QWidget* previous = close_;
    for (QWidget* w : std::initializer_list<QWidget*>{edit_, boxes_[0], boxes_[1], boxes_[2], boxes_[3],
                                                      confirm_, clear_}) {
        setTabOrder(previous, w);
        previous = w;
    }

    applySkin(texts, language, fontFamily);
    centreOn(mainWindow);
    showText();
}

void KeyComboDialogView::applySkin(const TextSource& texts, int language, const QString& fontFamily) {
    applyDialogSkin(loadSkin(language), language, SkinDialog::KeyCombination, pictureSizes(), layout_);

    const QBitmap shape = resourceMask(QStringLiteral("MSG"));
    background_ = resourcePixmap(QStringLiteral("MSG"));
    setFixedSize(background_.isNull() ? QSize(layout_.windowWidth, layout_.windowHeight)
                                      : background_.deviceIndependentSize().toSize());
    if (!shape.isNull()) setWindowShape(this, shape);

    auto place = [&](QWidget* w, const char* name) {
        if (const Placement* p = layout_.find(name)) applyPlacement(w, *p, fontFamily);
    };
    place(title_, "lbl_Title");
    place(edit_, "Edt_Assembly");
    for (std::size_t i = 0; i < kBoxes.size(); ++i) place(boxes_[i], kBoxes[i].name);
    place(confirm_, "IB_Confirm");
    place(clear_, "IB_Cancel");
    place(close_, "IB_Close");

    // The edit is white and borderless with the skin's edit text colour.
    QPalette pal = edit_->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, toQColor(layout_.colour("Color_K_AK")));
    edit_->setPalette(pal);

    title_->setText(text(texts, "Str500"));
    confirm_->setText(text(texts, "Str501"));
    clear_->setText(text(texts, "Str502"));
    static constexpr std::array<const char*, 4> kNames{"Ctrl", "Shift", "Alt", "Win"};
    for (std::size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setText(QString::fromLatin1(kNames[i]));
}

void KeyComboDialogView::centreOn(const QWidget* mainWindow) {
    if (!mainWindow) return;
    const QRect m = mainWindow->geometry();
    move(m.left() + (m.width() - width()) / 2, m.top() + (m.height() - height()) / 2);
}

PictureCheckBox* KeyComboDialogView::modifierBox(KeyComboDialog::Modifier m) const {
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        if (kBoxes[i].modifier == m) return boxes_[i];
    return nullptr;
}

void KeyComboDialogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull()) {
        p.drawPixmap(0, 0, background_);
        return;
    }
    p.fillRect(rect(), QColor(24, 25, 31));
}

void KeyComboDialogView::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
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
