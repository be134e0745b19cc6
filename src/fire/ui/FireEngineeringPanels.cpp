#include "fire/ui/FireEngineeringPanels.h"

#include "buttons/FunctionCodes.h"
#include "device/UiPort.h"
#include "image/FunctionCode.h"
#include "shell/EngineeringCaptions.h"
#include "widgets/EntryBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace krm::gui {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
QString name(const char* a, int n, const char* b = "") {
    return QString::fromLatin1(a) + QString::number(n) + QString::fromLatin1(b);
}

template <typename W> W* make(QWidget* parent, const QString& objectName, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(objectName);
    widget->setGeometry(x, y, w, h);
    return widget;
}

// The combo-mask selectors: control, the function's language id (or the gun keys').
struct MaskRow {
    const char* control;
    ComboGroup group;
    const char* textId;
};
constexpr std::array<MaskRow, kComboGroupCount> kMaskRows{{
    {"cb_MidCom", ComboGroup::Middle, "Str212"},
    {"cb_BackCom", ComboGroup::Backward, "Str213"},
    {"cb_ForwardCom", ComboGroup::Forward, "Str214"},
    {"cb_CPICom", ComboGroup::DpiLoop, "Str221"},
    {"cb_CPIICom", ComboGroup::DpiUp, "Str222"},
    {"cb_CPIDCom", ComboGroup::DpiDown, "Str223"},
    {"cb_GunCom", ComboGroup::Gun, "Str622"},
}};

} // namespace

// --- fire group of the operator tab ---

FireModePanel::FireModePanel(const PageContext& context, FireEditor& fire)
    : QObject(context.window), context_(context), fire_(fire) {
    box_ = make<QGroupBox>(context_.container, QStringLiteral("gbFireMode"), 0, 0, kWidth, kHeight);
    box_->setFixedSize(kWidth, kHeight); // its controls sit at fixed places
    for (int c = 0; c < 3; ++c)
        headers_[static_cast<std::size_t>(c)] = make<QLabel>(box_, {}, 110 + 120 * c, 22, 115, 20);
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (int k = 1; k <= fire::kSlots; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        const int y = 20 + 28 * k;
        slotLabels_[i] = make<QLabel>(box_, {}, 10, y, 95, 24);
        counts_[i] = make<QComboBox>(box_, name("cb_Fire", k, "Count"), 110, y, 100, 24);
        for (int n = fire::kMinRepeat; n <= fire::kMaxRepeat; ++n) counts_[i]->addItem(QString::number(n));
        times_[i] = make<QLineEdit>(box_, name("edt_Fire", k, "Time"), 230, y, 100, 24);
        times_[i]->setMaxLength(4);
        times_[i]->setValidator(new QRegularExpressionValidator(digits, times_[i]));
        continues_[i] = make<QCheckBox>(box_, name("cb_Fire", k, "Continue"), 350, y, 24, 24);
        connect(counts_[i], &QComboBox::activated, this, [this, k] { commit(k); });
        connect(times_[i], &QLineEdit::textEdited, this, [edit = times_[i]](const QString& t) {
            correctTyping(edit, qs(fire::engineeringInterval(t.toStdString())));
        });
        connect(times_[i], &QLineEdit::editingFinished, this, [this, k] {
            committing(time(k));
            commit(k);
        });
        connect(continues_[i], &QCheckBox::clicked, this, [this, k] { commit(k); });
    }
    triggerLabel_ = make<QLabel>(box_, {}, 10, 136, 200, 24);
    trigger_ = make<QComboBox>(box_, QStringLiteral("cb_ChangeFireFun"), 210, 136, 250, 24);
    for (int row = 111; row <= 117; ++row) trigger_->addItem(QString());
    connect(trigger_, &QComboBox::activated, this, [this](int item) {
        if (!filling_) finish(fire_.setGameModeTrigger(item));
    });
    gunMode_ = make<QCheckBox>(box_, QStringLiteral("cb_IsGunFireMode"), 10, 162, 450, 24);
    connect(gunMode_, &QCheckBox::clicked, this, [this](bool on) {
        if (!filling_) finish(fire_.setGunFireMode(on));
    });
    box_->show();
}

void FireModePanel::setTexts(const TextSource&) {
    // The engineering page's captions follow the system locale, not the window's language.
    box_->setTitle(qs(engineeringCaption(56)));
    for (int c = 0; c < 3; ++c)
        headers_[static_cast<std::size_t>(c)]->setText(qs(engineeringCaption(60 + c)));
    for (int k = 0; k < 3; ++k)
        slotLabels_[static_cast<std::size_t>(k)]->setText(qs(engineeringCaption(57 + k)));
    triggerLabel_->setText(qs(engineeringCaption(110)));
    for (int item = 0; item <= 6; ++item) trigger_->setItemText(item, qs(engineeringCaption(111 + item)));
    gunMode_->setText(qs(engineeringCaption(118)));
}

void FireModePanel::refresh() {
    filling_ = true;
    for (int k = 1; k <= fire::kSlots; ++k) {
        const FireKeySlot& s = fire_.slot(k);
        count(k)->setCurrentIndex(
            s.count >= fire::kMinRepeat && s.count <= fire::kMaxRepeat ? s.count - fire::kMinRepeat : -1);
        refill(time(k), QString::number(s.interval));
        continueBox(k)->setChecked(s.continueBox);
    }
    trigger_->setCurrentIndex(fire_.gameModeTrigger());
    gunMode_->setChecked(fire_.gunFireMode());
    filling_ = false;
}

void FireModePanel::commit(int k) {
    if (filling_) return;
    const int repeat = count(k)->currentIndex() + fire::kMinRepeat;
    const int interval = fire::fieldValue(time(k)->text().toStdString());
    const FireKeySlot& s = fire_.slot(k);
    const bool on = continueBox(k)->isChecked();
    if (repeat == s.count && interval == s.interval && on == s.continueBox) return;
    finish(fire_.setSlot(k, repeat, interval, on));
}

void FireModePanel::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    refresh();
    if (outcome.refused && outcome.message && !outcome.message->empty())
        context_.ui->showMessage(*outcome.message);
}

// --- fire-macro part of the gun tab ---

QWidget* FireModePanel::widget() {
    return box_;
}

FireGunTuningPanel::FireGunTuningPanel(const PageContext& context, FireEditor& fire)
    : QObject(context.window), context_(context), fire_(fire) {
    box_ = make<QGroupBox>(context_.container, QStringLiteral("gbFireMacro"), 0, 0, kWidth, kHeight);
    box_->setFixedSize(kWidth, kHeight); // its controls sit at fixed places
    offsetsBox_ = make<QGroupBox>(box_, QStringLiteral("gbXYOffset"), 8, 20, 330, 272);
    const QRegularExpression signedDigits(QStringLiteral("-?[0-9]*"));
    for (int n = 1; n <= 10; ++n) {
        const int y = 22 + 24 * (n - 1);
        auto* label = make<QLabel>(offsetsBox_, {}, 8, y, 90, 22);
        label->setText(QString::number(n));
        for (bool isY : {false, true}) {
            auto* e = make<QLineEdit>(offsetsBox_, name(isY ? "edt_YOffset" : "edt_XOffset", n),
                                      isY ? 200 : 100, y, 90, 22);
            e->setMaxLength(4);
            e->setValidator(new QRegularExpressionValidator(signedDigits, e));
            connect(e, &QLineEdit::textEdited, this, [this, n, isY, e] { offsetEdited(n, isY, e); });
            (isY ? yOffsets_ : xOffsets_)[static_cast<std::size_t>(n - 1)] = e;
        }
    }
    for (std::size_t r = 0; r < kMaskRows.size(); ++r) {
        const int y = 24 + 24 * static_cast<int>(r);
        maskLabels_[r] = make<QLabel>(box_, {}, 348, y, 120, 22);
        auto* c = make<QComboBox>(box_, QString::fromLatin1(kMaskRows[r].control), 470, y, 80, 22);
        c->addItem(QStringLiteral("0x00"));
        for (int bit = 0; bit < 8; ++bit)
            c->addItem(QStringLiteral("0x%1").arg(1 << bit, 2, 16, QLatin1Char('0')));
        connect(c, &QComboBox::activated, this, [this, g = kMaskRows[r].group](int item) {
            if (!filling_) finish(fire_.setComboEnable(g, item));
        });
        masks_[static_cast<std::size_t>(kMaskRows[r].group)] = c;
    }
    switchBox_ = make<QGroupBox>(box_, QStringLiteral("gbProfileSwitch"), 556, 20, 136, 128);
    const std::array<const char*, 3> flags{"cb_RTZ", "cb_AXY", "cb_CC"};
    for (std::size_t i = 0; i < switchLabels_.size(); ++i)
        switchLabels_[i] = make<QLabel>(switchBox_, {}, 6, 20 + 26 * static_cast<int>(i), 70, 22);
    for (std::size_t i = 0; i < flags.size(); ++i) {
        switchFlags_[i] = make<QComboBox>(switchBox_, QString::fromLatin1(flags[i]), 76,
                                          20 + 26 * static_cast<int>(i), 54, 22);
        switchFlags_[i]->addItems({QStringLiteral("Disable"), QStringLiteral("Enable")});
        connect(switchFlags_[i], &QComboBox::activated, this, [this] { switchOptionsChanged(); });
    }
    switchOffset_ = make<QLineEdit>(switchBox_, QStringLiteral("edt_OffSet"), 76, 98, 54, 22);
    switchOffset_->setMaxLength(2);
    switchOffset_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), switchOffset_));
    connect(switchOffset_, &QLineEdit::editingFinished, this, [this] {
        committing(switchOffset_);
        switchOptionsChanged();
    });
    listBox_ = make<QGroupBox>(box_, QStringLiteral("gbSOS"), 348, 196, 344, 100);
    list_ = make<QListWidget>(listBox_, QStringLiteral("LB_ScriptName"), 6, 18, 110, 76);
    const std::array<const char*, 3> combos{"cb_SOSLB", "cb_SOSStartIndex", "cb_SOSNumber"};
    std::array<QComboBox*, 3> made{};
    for (std::size_t i = 0; i < combos.size(); ++i) {
        listLabels_[i] = make<QLabel>(listBox_, {}, 122, 18 + 20 * static_cast<int>(i), 150, 20);
        made[i] = make<QComboBox>(listBox_, QString::fromLatin1(combos[i]), 272,
                                  18 + 20 * static_cast<int>(i), 66, 20);
    }
    keepLeft_ = made[0];
    start_ = made[1];
    number_ = made[2];
    keepLeft_->addItems({QStringLiteral("Disable"), QStringLiteral("Enable")});
    for (int n = 1; n <= 10; ++n) {
        start_->addItem(QString::number(n));
        number_->addItem(QString::number(n));
    }
    add_ = make<QPushButton>(listBox_, QStringLiteral("btn_AddScript"), 122, 76, 105, 22);
    delete_ = make<QPushButton>(listBox_, QStringLiteral("btn_DelScript"), 232, 76, 105, 22);
    connect(add_, &QPushButton::clicked, this, [this] {
        const auto r = fire_.gunKeyList().add(start_->currentIndex(), number_->currentIndex() + 1,
                                              keepLeft_->currentIndex() == 1);
        gunKeyChanged(r.ok, r.message);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        const QListWidgetItem* item = list_->currentItem();
        if (!item) return;
        const int row = list_->currentRow();
        const auto r = fire_.gunKeyList().remove(item->data(Qt::UserRole).toInt());
        gunKeyChanged(r.ok, r.message);
        if (list_->count() > 0) list_->setCurrentRow(std::max(row - 1, 0));
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        const QListWidgetItem* item = list_->currentItem();
        if (!item || filling_) return;
        const CodeBytes& e =
            fire_.gunKeys().entries.at(static_cast<std::size_t>(item->data(Qt::UserRole).toInt() - 1));
        keepLeft_->setCurrentIndex((e[1] & 0x10) ? 1 : 0);
        start_->setCurrentIndex(e[1] & 0x0F);
        number_->setCurrentIndex(std::clamp(e[2] - 1, 0, 9));
    });
    box_->show();
}

void FireGunTuningPanel::setTexts(const TextSource& texts) {
    offsetsBox_->setTitle(qs(engineeringCaption(148)));
    listBox_->setTitle(qs(engineeringCaption(149)));
    for (std::size_t i = 0; i < listLabels_.size(); ++i)
        listLabels_[i]->setText(qs(engineeringCaption(150 + static_cast<int>(i))));
    add_->setText(qs(engineeringCaption(153)));
    delete_->setText(qs(engineeringCaption(154)));
    for (std::size_t r = 0; r < kMaskRows.size(); ++r)
        maskLabels_[r]->setText(qs(texts.text(kMaskRows[r].textId)));
    switchBox_->setTitle(qs(engineeringCaption(155)));
    for (std::size_t i = 0; i < switchLabels_.size(); ++i) {
        switchLabels_[i]->setText(qs(engineeringCaption(156 + static_cast<int>(i))));
        const QString name = switchLabels_[i]->text().chopped(1);
        (i < switchFlags_.size() ? static_cast<QWidget*>(switchFlags_[i]) : switchOffset_)
            ->setAccessibleName(name);
    }
}

void FireGunTuningPanel::refresh() {
    filling_ = true;
    for (int n = 1; n <= 10; ++n) {
        refill(offset(n, false), QString::number(fire_.macroAdjust(n, false)));
        refill(offset(n, true), QString::number(fire_.macroAdjust(n, true)));
    }
    for (const MaskRow& r : kMaskRows) comboMask(r.group)->setCurrentIndex(fire_.comboEnable(r.group));
    const ProfileSwitchOptions& options = fire_.profileSwitchOptions();
    switchFlags_[0]->setCurrentIndex(options.returnToZero ? 1 : 0);
    switchFlags_[1]->setCurrentIndex(options.adjustXy ? 1 : 0);
    switchFlags_[2]->setCurrentIndex(options.changeColour ? 1 : 0);
    refill(switchOffset_, QStringLiteral("%1").arg(options.switchOffset, 2, 16, QLatin1Char('0')).toUpper());
    list_->clear();
    for (int n : gunKeyListRows(fire_.gunKeys())) {
        auto* item = new QListWidgetItem(QString::fromStdString(gunKeyListName(n)), list_);
        item->setData(Qt::UserRole, n);
    }
    delete_->setEnabled(list_->count() > 0);
    filling_ = false;
}

void FireGunTuningPanel::offsetEdited(int n, bool y, QLineEdit* edit) {
    if (filling_) return;
    EditOutcome out;
    correctTyping(edit, qs(fire_.setMacroAdjust(n, y, edit->text().toStdString(), out)));
    context_.sink->apply(out);
}

void FireGunTuningPanel::switchOptionsChanged() {
    if (filling_) return;
    ProfileSwitchOptions options = fire_.profileSwitchOptions();
    options.returnToZero = switchFlags_[0]->currentIndex() == 1;
    options.adjustXy = switchFlags_[1]->currentIndex() == 1;
    options.changeColour = switchFlags_[2]->currentIndex() == 1;
    // An emptied offset box keeps the offset it had.
    bool ok = false;
    if (const int typed = switchOffset_->text().toInt(&ok, 16); ok) options.switchOffset = typed;
    if (options == fire_.profileSwitchOptions()) {
        refresh();
        return;
    }
    finish(fire_.setProfileSwitchOptions(options));
}

void FireGunTuningPanel::gunKeyChanged(bool ok, const std::string& message) {
    refresh();
    if (!ok && !message.empty()) context_.ui->showMessage(message);
}

void FireGunTuningPanel::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    refresh();
    if (outcome.refused && outcome.message && !outcome.message->empty())
        context_.ui->showMessage(*outcome.message);
}

QWidget* FireGunTuningPanel::widget() {
    return box_;
}

} // namespace krm::gui
