#include "fire/ui/FireSlotPanel.h"

#include "device/UiPort.h"
#include "fire/FireFields.h"
#include "widgets/ClickLabel.h"
#include "widgets/EntryBox.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <array>

namespace krm::gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string str(std::string_view a, int n, std::string_view b = {}) {
    return std::string(a) + std::to_string(n) + std::string(b);
}

constexpr std::array<std::pair<const char*, const char*>, 7> kCaptions{{
    {"Fire_Key_Lable", "Str800"},
    {"Fire_Key_Count_Lable", "Str801"},
    {"Fire_Key_Time_Lable", "Str802"},
    {"Fire_Key_Continue_Lable", "Str803"},
    {"Fire_Key1_Lable", "Str231"},
    {"Fire_Key2_Lable", "Str232"},
    {"Fire_Key3_Lable", "Str233"},
}};

} // namespace

FireSlotPanel::FireSlotPanel(const PageContext& context, FireEditor& fire)
    : QObject(context.window), context_(context), fire_(fire) {
    QWidget* parent = context_.container;
    for (const auto& [name, id] : kCaptions) add(name, new QLabel(parent));
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (int k = 1; k <= fire::kSlots; ++k) {
        auto* repeat = add(str("Edt_Repeat", k), new QLineEdit(parent));
        repeat->setMaxLength(2);
        auto* interval = add(str("Edt_DelayTime", k), new QLineEdit(parent));
        interval->setMaxLength(4);
        for (QLineEdit* e : {repeat, interval}) {
            e->setAlignment(Qt::AlignCenter);
            e->setValidator(new QRegularExpressionValidator(digits, e));
            connect(e, &QLineEdit::editingFinished, this, [this, k] { commit(k); });
        }
        // While typing, a value above the range is brought into it; an empty box and a repeat of 1 stay
        // (the next key may make them 3 or 12): leaving the field makes them valid.
        connect(repeat, &QLineEdit::textEdited, this, [repeat](const QString& t) {
            if (!t.isEmpty()) correctTyping(repeat, qs(fire::repeatWhileTyping(t.toStdString())));
        });
        connect(interval, &QLineEdit::textEdited, this, [interval](const QString& t) {
            if (!t.isEmpty()) correctTyping(interval, qs(fire::userInterval(t.toStdString())));
        });
        auto* box = add(str("Img_Fire", k, "Continue"), new ClickLabel(parent));
        box->setScaledContents(true);
        auto* click = add(str("lbl_Fire", k, "Continue"), new ClickLabel(parent));
        click->setRole(ClickLabel::Role::CheckBox);
        click->setTickPicture(box);
        for (ClickLabel* l : {box, click})
            connect(l, &ClickLabel::clicked, this, [this, k] { finish(fire_.toggleContinue(k)); });
    }
}

template <typename W> W* FireSlotPanel::add(const std::string& name, W* widget) {
    widget->setObjectName(qs(name));
    widget->hide();
    controls_[name] = widget;
    return widget;
}

QWidget* FireSlotPanel::control(const std::string& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void FireSlotPanel::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    const QString style = layout_ ? entryBoxStyle(*layout_, EntryRegion::Performance) : QString();
    for (const auto& [name, w] : controls_) {
        const Placement* p = layout_ ? layout_->find(name) : nullptr;
        if (!p) {
            w->hide();
            continue;
        }
        applyPlacement(w, *p, fontFamily_);
        if (name.starts_with("Edt_")) w->setStyleSheet(style);
        w->setVisible(p->visible);
        w->raise();
    }
    // The click labels lie on their pictures.
    for (int k = 1; k <= fire::kSlots; ++k) control(str("lbl_Fire", k, "Continue"))->raise();
    refresh();
}

void FireSlotPanel::setTexts(const TextSource& texts) {
    for (const auto& [name, id] : kCaptions) static_cast<QLabel*>(control(name))->setText(qs(texts.text(id)));
    // Screen readers name each field by its row and column captions: "Fire Key1 Repeat(1-16)".
    for (int k = 1; k <= fire::kSlots; ++k) {
        const std::string row = texts.text(str("Str23", k)) + " ";
        control(str("Edt_Repeat", k))->setAccessibleName(qs(row + texts.text("Str801")));
        control(str("Edt_DelayTime", k))->setAccessibleName(qs(row + texts.text("Str802")));
        control(str("lbl_Fire", k, "Continue"))->setAccessibleName(qs(row + texts.text("Str803")));
    }
}

void FireSlotPanel::refresh() {
    filling_ = true;
    for (int k = 1; k <= fire::kSlots; ++k) {
        const FireKeySlot& s = fire_.slot(k);
        refill(static_cast<QLineEdit*>(control(str("Edt_Repeat", k))), QString::number(s.count));
        refill(static_cast<QLineEdit*>(control(str("Edt_DelayTime", k))), QString::number(s.interval));
        static_cast<ClickLabel*>(control(str("lbl_Fire", k, "Continue")))->setChecked(s.continueBox);
    }
    filling_ = false;
}

void FireSlotPanel::commit(int k) {
    if (filling_) return;
    auto* repeat = static_cast<QLineEdit*>(control(str("Edt_Repeat", k)));
    auto* interval = static_cast<QLineEdit*>(control(str("Edt_DelayTime", k)));
    const int r = fire::fieldValue(fire::repeatOnLeave(repeat->text().toStdString()));
    const int ms = fire::fieldValue(fire::userInterval(interval->text().toStdString()));
    // The two boxes are the slot's value: both show it as stored from here on.
    committing(repeat);
    committing(interval);
    const FireKeySlot& s = fire_.slot(k);
    if (r == s.count && ms == s.interval) return refresh(); // nothing changed: nothing is sent
    finish(fire_.setSlot(k, r, ms, s.continueBox));
}

void FireSlotPanel::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    refresh();
    if (outcome.refused && outcome.message && !outcome.message->empty())
        context_.ui->showMessage(*outcome.message);
}

} // namespace krm::gui
