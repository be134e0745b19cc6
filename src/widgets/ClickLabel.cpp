#include "widgets/ClickLabel.h"

#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace krm::gui {

namespace {

QAccessible::Role accessibleRole(ClickLabel::Role role) {
    switch (role) {
    case ClickLabel::Role::CheckBox:
        return QAccessible::CheckBox;
    case ClickLabel::Role::Option:
        return QAccessible::RadioButton;
    case ClickLabel::Role::PageTab:
        return QAccessible::PageTab;
    case ClickLabel::Role::Heading:
        return QAccessible::Heading;
    case ClickLabel::Role::Button:
        break;
    }
    return QAccessible::Button;
}

class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}

    const ClickLabel* label() const { return static_cast<const ClickLabel*>(widget()); }

    QAccessible::Role role() const override { return accessibleRole(label()->role()); }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        // A tick picture is heard through its caption, which holds the state.
        if (label()->tickOf()) s.invisible = true;
        switch (label()->role()) {
        case ClickLabel::Role::CheckBox:
        case ClickLabel::Role::Option:
            s.checkable = true;
            s.checked = label()->isChecked();
            break;
        case ClickLabel::Role::PageTab:
            s.selectable = true;
            s.selected = label()->isChecked();
            break;
        case ClickLabel::Role::Heading:
            s.focusable = false;
            break;
        case ClickLabel::Role::Button:
            break;
        }
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        for (const QString& name : {label()->accessibleName(), label()->caption(), label()->toolTip()})
            if (!name.trimmed().isEmpty()) return name.simplified();
        return {};
    }
    QStringList actionNames() const override {
        if (label()->role() == ClickLabel::Role::Heading) return {};
        return {label()->role() == ClickLabel::Role::Button ? pressAction() : toggleAction()};
    }
    void doAction(const QString& action) override {
        if (actionNames().contains(action)) QMetaObject::invokeMethod(widget(), "clicked");
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* clickLabelAccessible(const QString&, QObject* object) {
    auto* label = qobject_cast<ClickLabel*>(object);
    return label ? new ClickLabelAccessible(label) : nullptr;
}

// QLabel gives every label that takes the focus a text document of its own, for selecting and following
// links: a quarter of a millisecond a caption, a hundred captions at start-up. Captions here are plain
// text and never selected, so QLabel sets its text up while the label takes no focus.
class NoFocusWhile {
public:
    explicit NoFocusWhile(QWidget* widget) : widget_(widget), policy_(widget->focusPolicy()) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    ~NoFocusWhile() { widget_->setFocusPolicy(policy_); }
    NoFocusWhile(const NoFocusWhile&) = delete;
    NoFocusWhile& operator=(const NoFocusWhile&) = delete;

private:
    QWidget* widget_;
    Qt::FocusPolicy policy_;
};

} // namespace

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    static const bool kAccessibleAsButtons = (QAccessible::installFactory(clickLabelAccessible), true);
    (void)kAccessibleAsButtons;
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // Captions are not selectable text. (This resets the focus policy, so it comes first.)
    setTextInteractionFlags(Qt::NoTextInteraction);
    // Tab reaches it; a click leaves the focus where it was, so the pointer's look stays the pointer's.
    setFocusPolicy(Qt::TabFocus);
}

void ClickLabel::setChecked(bool checked) {
    const bool changed = checked != checked_;
    checked_ = checked;
    showTick();
    if (!changed || !QAccessible::isActive()) return;
    QAccessible::State what;
    (role_ == Role::PageTab ? what.selected : what.checked) = true;
    QAccessibleStateChangeEvent event(this, what);
    QAccessible::updateAccessibility(&event);
}

void ClickLabel::setTickPicture(ClickLabel* picture) {
    tick_ = picture;
    if (picture && picture != this) {
        picture->tickOf_ = this;
        picture->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the control through its caption
    }
    showTick();
}

void ClickLabel::showTick() {
    if (!tick_ || (role_ != Role::CheckBox && role_ != Role::Option)) return;
    const bool box = role_ == Role::CheckBox;
    tick_->setPixmap(resourcePixmap(checked_ ? (box ? QStringLiteral("CbS_E") : QStringLiteral("RdS_E"))
                                             : (box ? QStringLiteral("CbS_D") : QStringLiteral("RdS_D"))));
}

void ClickLabel::display(const QString& text) {
    const NoFocusWhile plain(this);
    QLabel::setText(text);
}

void ClickLabel::setText(const QString& text) {
    caption_ = text;
    if (elided_) setToolTip(QString());
    elided_ = instead_ = false;
    display(text);
}

void ClickLabel::showInstead(const QString& text) {
    if (!instead_) caption_ = caption();
    instead_ = true;
    display(text);
}

// Polishing a label with text sets its text document up as setText would.
bool ClickLabel::event(QEvent* e) {
    if (e->type() != QEvent::Polish) return QLabel::event(e);
    const NoFocusWhile plain(this);
    return QLabel::event(e);
}

void ClickLabel::setCaption(const QString& caption) {
    caption_ = caption;
    elided_ = true;
    showCaption();
}

void ClickLabel::showCaption() {
    if (!elided_ && !instead_) return;
    instead_ = false;
    if (!elided_) return display(caption_);
    // A few pixels to spare: hinted fonts on some screens draw a little wider than they measure.
    constexpr int kSpare = 3;
    const int room = contentsRect().width() - std::max(indent(), 0) - 2 * margin() - kSpare;
    const QString shown = fontMetrics().elidedText(caption_, Qt::ElideRight, std::max(room, 0));
    display(shown);
    setToolTip(shown == caption_ ? QString() : caption_);
}

void ClickLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    if (elided_) showCaption();
}

void ClickLabel::changeEvent(QEvent* e) {
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange && elided_) showCaption();
}

void ClickLabel::setHovered(bool hover, bool focus) {
    const bool was = isHovered();
    hover_ = hover;
    focus_ = focus;
    update();
    if (isHovered() == was) return;
    if (isHovered())
        emit entered();
    else
        emit left();
}

void ClickLabel::enterEvent(QEnterEvent*) {
    setHovered(true, focus_);
}

void ClickLabel::leaveEvent(QEvent*) {
    down_ = false;
    setHovered(false, focus_);
}

// The window losing or regaining activation moves no focus between its widgets (and a window being
// destroyed deactivates itself first): only the focus moving counts.
void ClickLabel::focusInEvent(QFocusEvent* e) {
    // Not QLabel's: it would build the text document setText avoids.
    QFrame::focusInEvent(e); // NOLINT(bugprone-parent-virtual-call)
    if (e->reason() != Qt::ActiveWindowFocusReason) setHovered(hover_, true);
}

void ClickLabel::focusOutEvent(QFocusEvent* e) {
    QLabel::focusOutEvent(e);
    if (e->reason() != Qt::ActiveWindowFocusReason) setHovered(hover_, false);
}

void ClickLabel::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        e->accept();
        if (!e->isAutoRepeat()) emit clicked();
        return;
    default:
        QLabel::keyPressEvent(e);
    }
}

void ClickLabel::paintEvent(QPaintEvent* e) {
    const QPixmap picture = pixmap();
    if (isEnabled() || picture.isNull()) return QLabel::paintEvent(e);
    QPainter p(this);
    p.setOpacity(kFadedOpacity);
    const QRect room = contentsRect();
    if (hasScaledContents()) {
        p.drawPixmap(room, picture);
        return;
    }
    const QSize size = picture.deviceIndependentSize().toSize();
    p.drawPixmap(QStyle::alignedRect(layoutDirection(), alignment(), size, room), picture);
}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QLabel::mousePressEvent(e);
    down_ = true;
    update();
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !down_) return QLabel::mouseReleaseEvent(e);
    down_ = false;
    update();
    e->accept();
    if (rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace krm::gui
