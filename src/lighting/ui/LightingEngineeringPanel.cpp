#include "lighting/ui/LightingEngineeringPanel.h"

#include "device/UiPort.h"
#include "shell/EngineeringCaptions.h"
#include "widgets/EntryBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace krm::gui {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Caption table rows.
constexpr int kRowLedSetting = 14, kRowLedMode = 15, kRowLedNumber = 17, kRowFirstType = 18,
              kRowLightMode = 23, kRowBreath = 101, kRowFirstBreath = 102;
constexpr LedType kTypes[] = {LedType::RGB, LedType::Sync, LedType::NT, LedType::MCULED};

// The digits of an integer field (at most five, as its validator lets through); empty reads 0.
long decimalValue(const QString& text) {
    return text.toLong();
}

} // namespace

LightingEngineeringPanel::LightingEngineeringPanel(const PageContext& context, LightingEditor& editor)
    : context_(context), editor_(editor) {
    box_ = new QGroupBox;
    box_->setObjectName(QStringLiteral("gbLEDSetting"));
    box_->setMaximumWidth(440);
    captioned_.emplace_back(box_, kRowLedSetting);
    auto* grid = new QGridLayout(box_);
    typeLabel_ = caption(box_, kRowLedMode);
    typeLabel_->setObjectName(QStringLiteral("lbl_LEDMode"));
    type_ = new QComboBox(box_);
    type_->setObjectName(QStringLiteral("cb_LEDMode"));
    for (int i = 0; i < 4; ++i) type_->addItem(QString());
    grid->addWidget(typeLabel_, 0, 0);
    grid->addWidget(type_, 0, 1);
    mode_ = new QComboBox(box_);
    mode_->setObjectName(QStringLiteral("cb_BreMode"));
    grid->addWidget(caption(box_, kRowLightMode), 1, 0);
    grid->addWidget(mode_, 1, 1);
    countLabel_ = caption(box_, kRowLedNumber);
    count_ = new QComboBox(box_);
    count_->setObjectName(QStringLiteral("cb_LEDNum"));
    for (int n = 1; n <= 8; ++n) count_->addItem(QString::number(n));
    grid->addWidget(countLabel_, 2, 0);
    grid->addWidget(count_, 2, 1);

    auto* breath = new QGroupBox(box_);
    captioned_.emplace_back(breath, kRowBreath);
    auto* bgrid = new QGridLayout(breath);
    const char* const names[] = {"edt_Lower", "edt_Upper", "edt_LowerTime", "edt_UpperTime", "edt_StepTime"};
    for (int i = 0; i < 5; ++i) {
        auto* edit = new QLineEdit(breath);
        edit->setObjectName(QString::fromLatin1(names[i]));
        edit->setMaxLength(5);
        edit->setFixedWidth(64);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), edit));
        breath_[static_cast<std::size_t>(i)] = edit;
        bgrid->addWidget(caption(breath, kRowFirstBreath + i), i, 0);
        bgrid->addWidget(edit, i, 1);
        connect(edit, &QLineEdit::textEdited, this, [this, i, edit](const QString& text) {
            const long value = decimalValue(text);
            if (i == 4) {
                if (value > 255) correctTyping(edit, QStringLiteral("255"));
                finish(editor_.setStepTime(value));
                return;
            }
            const auto field = static_cast<BreathField>(i);
            const long limit = LightingEditor::breathingLimit(field);
            if (value > limit) correctTyping(edit, QString::number(limit));
            finish(editor_.setBreathing(field, value));
        });
    }
    grid->addWidget(breath, 3, 0, 1, 2);

    connect(type_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < 4) finish(editor_.changeLedType(kTypes[index]));
    });
    connect(mode_, &QComboBox::activated, this, [this](int index) { finish(editor_.chooseListMode(index)); });
    connect(count_, &QComboBox::activated, this,
            [this](int index) { finish(editor_.setNtLedCount(index + 1)); });
    setCaptionColumn(0);
    setFactoryControlsShown(false);
}

LightingEngineeringPanel::~LightingEngineeringPanel() = default;

QWidget* LightingEngineeringPanel::widget() {
    return box_;
}

QLabel* LightingEngineeringPanel::caption(QWidget* parent, int row) {
    auto* label = new QLabel(parent);
    captioned_.emplace_back(label, row);
    return label;
}

void LightingEngineeringPanel::setCaptionColumn(int column) {
    column_ = column;
    for (auto [widget, row] : captioned_) {
        const QString text = qs(engineeringCaption(row, column));
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            box->setTitle(text);
    }
    for (int i = 0; i < 4; ++i) type_->setItemText(i, qs(engineeringCaption(kRowFirstType + i, column)));
}

void LightingEngineeringPanel::setFactoryControlsShown(bool shown) {
    typeLabel_->setEnabled(shown);
    type_->setEnabled(shown);
}

void LightingEngineeringPanel::refresh() {
    const QSignalBlocker blockType(type_), blockMode(mode_), blockCount(count_);
    const auto type = editor_.type();
    int typeIndex = -1;
    for (int i = 0; i < 4; ++i)
        if (type == kTypes[i]) typeIndex = i;
    type_->setCurrentIndex(typeIndex);
    mode_->clear();
    for (const LightingMode& m : editor_.modes())
        mode_->addItem(m.enabled ? QString::fromStdString(m.name) : QStringLiteral("------"));
    mode_->setCurrentIndex(editor_.currentListIndex().value_or(-1));
    const bool nt = type == LedType::NT;
    count_->setVisible(nt);
    countLabel_->setVisible(nt);
    count_->setCurrentIndex(editor_.ntLedCount() - 1);
    const Breathing& b = editor_.breathing();
    const long values[] = {b.lowerBrightness, b.upperBrightness, b.lowerHold, b.upperHold, b.stepTime};
    for (std::size_t i = 0; i < breath_.size(); ++i) refill(breath_[i], QString::number(values[i]));
}

void LightingEngineeringPanel::finish(const EditOutcome& outcome) {
    const EditOutcome done = context_.sink->apply(outcome);
    if (done.refused && done.message && !done.message->empty()) context_.ui->showMessage(*done.message);
    refresh();
}

} // namespace krm::gui
