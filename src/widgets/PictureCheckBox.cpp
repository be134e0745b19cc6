#include "widgets/PictureCheckBox.h"

#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

namespace krm::gui {

namespace {
constexpr int kTickGap = 6; // between the picture and the caption

class PictureCheckBoxAccessible : public QAccessibleWidget {
public:
    PictureCheckBoxAccessible(PictureCheckBox* box, QAccessible::Role role) : QAccessibleWidget(box, role) {}

    const PictureCheckBox* box() const { return static_cast<const PictureCheckBox*>(widget()); }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = box()->isChecked();
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && box()->accessibleName().isEmpty()) return box()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& action) override {
        if (action == toggleAction()) QMetaObject::invokeMethod(widget(), "click");
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* pictureCheckBoxAccessible(const QString&, QObject* object) {
    auto* box = qobject_cast<PictureCheckBox*>(object);
    if (!box) return nullptr;
    return new PictureCheckBoxAccessible(box, box->autoExclusive() ? QAccessible::RadioButton
                                                                   : QAccessible::CheckBox);
}

} // namespace

PictureCheckBox::PictureCheckBox(QWidget* parent, Kind kind) : QAbstractButton(parent), kind_(kind) {
    static const bool kAccessible = (QAccessible::installFactory(pictureCheckBoxAccessible), true);
    (void)kAccessible;
    setCheckable(true);
    setAutoExclusive(kind == Kind::Option);
    // Tab reaches it (Space or Enter ticks it); a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

QString PictureCheckBox::picture(bool on) const {
    if (kind_ == Kind::Option) return on ? QStringLiteral("RdS_E") : QStringLiteral("RdS_D");
    return on ? QStringLiteral("CbS_E") : QStringLiteral("CbS_D");
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
    const QSize tick = resourcePixmap(picture(false)).deviceIndependentSize().toSize();
    return {tick.width() + kTickGap + fontMetrics().horizontalAdvance(text()),
            std::max(tick.height(), fontMetrics().height())};
}

void PictureCheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Switched off, the whole box fades: it keeps its look's colours.
    if (!isEnabled()) p.setOpacity(kFadedOpacity);
    const QPixmap tick = resourcePixmap(picture(isChecked()));
    const QSize tickSize = tick.deviceIndependentSize().toSize();
    const int y = (height() - tickSize.height()) / 2;
    p.drawPixmap(0, y, tick);
    p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    const QRect caption = rect().adjusted(tickSize.width() + kTickGap, 0, 0, 0);
    p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        // The focus: the caption underlined in its own colour.
        const QRect drawn = p.fontMetrics().boundingRect(caption, Qt::AlignLeft | Qt::AlignVCenter, text());
        p.drawLine(drawn.left(), drawn.bottom(), drawn.right(), drawn.bottom());
    }
}

} // namespace krm::gui
