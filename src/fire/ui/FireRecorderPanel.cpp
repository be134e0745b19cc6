#include "fire/ui/FireRecorderPanel.h"

#include "device/UiPort.h"
#include "fire/FireFields.h"
#include "widgets/ImageButton.h"
#include "widgets/PictureCheckBox.h"
#include "widgets/QtImages.h"
#include "widgets/QtInputCapture.h"
#include "widgets/SkinWidgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>

namespace krm::gui {

namespace {

template <typename W> W* make(QWidget* parent, const char* objectName, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setGeometry(x, y, w, h);
    return widget;
}

// How a line is drawn: the repeat marks in words, the others as their text.
QString lineCaption(const FireLine& l) {
    if (l.kind == FireLine::Kind::RepeatStart) return QStringLiteral("  Rep-Start  %1").arg(l.value);
    if (l.kind == FireLine::Kind::RepeatStop) return QStringLiteral("  Rep-Stop");
    return QString::fromStdString(l.text());
}

constexpr std::array<const char*, 6> kInsertTexts{"Str410", "Str411", "Str450", "Str451", "Str456", "Str457"};

// A list row's height: the ten macros show whole, and so do the lines.
constexpr int kRowHeight = 17, kMacroRows = 10, kLineRows = 8;

ImageButton* pictureButton(QWidget* parent, const char* objectName, const QString& picture, int x, int y,
                           int w) {
    auto* b = make<ImageButton>(
        parent, objectName, x, y, w,
        resourcePixmap(picture + QStringLiteral("_01")).deviceIndependentSize().toSize().height());
    b->setPictures(resourcePixmap(picture + QStringLiteral("_01")),
                   resourcePixmap(picture + QStringLiteral("_02")),
                   resourcePixmap(picture + QStringLiteral("_03")));
    return b;
}

} // namespace

FireRecorderPanel::FireRecorderPanel(QWidget* parent, const PageContext& context, FireEditor& fire,
                                     CaptureFactory capture)
    : QWidget(parent), context_(context), fire_(fire), captureFactory_(std::move(capture)) {
    setObjectName(QStringLiteral("FireRecorder"));
    resize(kWidth, kHeight);
    if (!captureFactory_) captureFactory_ = [](std::string& note) { return makeRecorderInput(note); };
    const int macrosHeight = kMacroRows * kRowHeight + 4, linesTop = macrosHeight + 6,
              linesHeight = kLineRows * kRowHeight + 4, buttonsTop = linesTop + linesHeight + 6;
    macros_ = make<QListWidget>(this, "LB_FireMacroName", 0, 0, 226, macrosHeight);
    lines_ = make<QListWidget>(this, "LB_FireMacro", 0, linesTop, 226, linesHeight);
    for (QListWidget* l : {macros_, lines_}) l->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    record_ = pictureButton(this, "Btn_FireStart", QStringLiteral("MacroS"), 0, buttonsTop, 90);
    delete_ = pictureButton(this, "Btn_FireDel", QStringLiteral("MacroS"), 96, buttonsTop, 62);
    insert_ = pictureButton(this, "Btn_FireInsert", QStringLiteral("MacroS"), 164, buttonsTop, 62);
    const int optionsTop = buttonsTop + 32;
    auto option = [this](const char* name, int y) {
        auto* o = new PictureCheckBox(this, PictureCheckBox::Kind::Option);
        o->setObjectName(QString::fromLatin1(name));
        o->setGeometry(0, y, 140, 22);
        return o;
    };
    realTime_ = option("IB_FireRecDelay", optionsTop);
    fixed_ = option("IB_FireDelayTime", optionsTop + 22);
    noDelay_ = option("IB_FireNoDelay", optionsTop + 44);
    fixedDelay_ = make<QLineEdit>(this, "Edt_FireDelay", 146, optionsTop + 22, 80, 22);
    fixedDelay_->setText(QStringLiteral("10"));
    fixedDelay_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    realTime_->setChecked(true);

    // The insert box lies on the lines while a line is inserted, on its picture.
    insertBox_ = make<QWidget>(this, "Gb_InsertFire", 0, linesTop, 226, linesHeight + 32);
    auto* base = make<QLabel>(insertBox_, "Img_InsertFire", 0, 0, 226, linesHeight + 32);
    base->setScaledContents(true);
    base->setPixmap(resourcePixmap(QStringLiteral("InsertDelayBase")));
    insertTitle_ = make<QLabel>(insertBox_, "lbl_InsertFire", 8, 4, 210, 20);
    choice_ = make<QComboBox>(insertBox_, "CB_InsertFire", 6, 28, 214, 24);
    for (std::size_t i = 0; i < kInsertTexts.size(); ++i) choice_->addItem(QString());
    const QRegularExpression digits(QStringLiteral("[0-9]{0,5}")),
        signedDigits(QStringLiteral("-?[0-9]{0,3}"));
    value_ = make<QLineEdit>(insertBox_, "Edt_InsertFireDelay", 6, 62, 100, 24);
    value_->setValidator(new QRegularExpressionValidator(digits, value_));
    x_ = make<QLineEdit>(insertBox_, "edt_FireXAxisValue", 6, 94, 100, 24);
    y_ = make<QLineEdit>(insertBox_, "edt_FireYAxisValue", 116, 94, 100, 24);
    for (QLineEdit* e : {x_, y_}) e->setValidator(new QRegularExpressionValidator(signedDigits, e));
    ok_ = pictureButton(insertBox_, "Btn_FireOK", QStringLiteral("MacroBtnS"), 40, linesHeight - 2, 64);
    cancel_ =
        pictureButton(insertBox_, "Btn_FireCancel", QStringLiteral("MacroBtnS"), 122, linesHeight - 2, 64);
    insertBox_->hide();

    connect(macros_, &QListWidget::currentRowChanged, this, [this](int row) { chooseMacro(row); });
    connect(record_, &ImageButton::clicked, this, [this] { toggleRecording(); });
    connect(delete_, &ImageButton::clicked, this, [this] { deleteLine(); });
    connect(insert_, &ImageButton::clicked, this, [this] {
        if (macro_ < 0 || recording_) return;
        insertBox_->show();
        insertBox_->raise();
        updateEnabled();
    });
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    connect(ok_, &ImageButton::clicked, this, [this] { insertLine(); });
    connect(cancel_, &ImageButton::clicked, this, [this] {
        insertBox_->hide();
        updateEnabled();
    });
    updateEnabled();
}

FireRecorderPanel::~FireRecorderPanel() {
    if (capture_) capture_->stop();
}

void FireRecorderPanel::setTexts(const TextSource& texts) {
    texts_ = &texts;
    auto t = [&texts](const char* id) { return QString::fromStdString(texts.text(id)); };
    record_->setText(t(recording_ ? "Str401" : "Str400"));
    realTime_->setText(t("Str414"));
    fixed_->setText(t("Str415"));
    noDelay_->setText(t("Str416"));
    delete_->setText(t("Str433"));
    insert_->setText(t("Str421"));
    insertTitle_->setText(t("Str421"));
    for (std::size_t i = 0; i < kInsertTexts.size(); ++i)
        choice_->setItemText(static_cast<int>(i), t(kInsertTexts[i]));
    value_->setPlaceholderText(t("Str418"));
    x_->setPlaceholderText(t("Str454"));
    y_->setPlaceholderText(t("Str455"));
    ok_->setText(t("Str420"));
    cancel_->setText(t("Str422"));
}

QAbstractButton* FireRecorderPanel::realTime() const {
    return realTime_;
}
QAbstractButton* FireRecorderPanel::fixed() const {
    return fixed_;
}
QAbstractButton* FireRecorderPanel::noDelay() const {
    return noDelay_;
}

void FireRecorderPanel::applyLook(const SkinLayout& layout, const QString& fontFamily) {
    const QFont font = skinFont(fontFamily, 9);
    setFont(font);
    setStyleSheet(entryBoxStyle(layout, EntryRegion::Gun) +
                  QStringLiteral("QListWidget::item { height: %1px; }").arg(kRowHeight));
    // Captions in the gun page's text colour; the buttons' in the macro page's.
    const QColor text = toQColor(layout.colour("Color_J_Font"));
    for (QWidget* w : std::initializer_list<QWidget*>{realTime_, fixed_, noDelay_, insertTitle_, record_,
                                                      delete_, insert_, ok_, cancel_}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::WindowText, text);
        w->setPalette(pal);
        w->setFont(font);
    }
}

void FireRecorderPanel::reload() {
    const int row = macro_;
    macros_->blockSignals(true);
    macros_->clear();
    for (int i = 0; i < 10; ++i) macros_->addItem(QString::fromStdString(fire_.macroName(i)));
    macros_->setCurrentRow(row);
    macros_->blockSignals(false);
    chooseMacro(row);
}

void FireRecorderPanel::chooseMacro(int i) {
    if (recording_) return;
    macro_ = i;
    current_ = i >= 0 ? fire_lines::fromBody(fire_.body(i)) : std::vector<FireLine>{};
    fillLines(0);
}

void FireRecorderPanel::fillLines(int select) {
    lines_->clear();
    for (const FireLine& l : current_) lines_->addItem(lineCaption(l));
    if (!current_.empty())
        lines_->setCurrentRow(std::clamp(select, 0, static_cast<int>(current_.size()) - 1));
    updateEnabled();
}

void FireRecorderPanel::store() {
    if (macro_ < 0) return;
    // A body holds what fits; the recorder and the inserts keep within it, this is the last guard.
    if (!fire_.setBody(macro_, fire_lines::toBody(current_)) && texts_)
        context_.ui->showMessage("The fire macro is longer than the " +
                                 std::to_string(fire_.body(macro_).size()) +
                                 " bytes it may hold; the end was not kept.");
    current_ = fire_lines::fromBody(fire_.body(macro_));
    emit bodyChanged();
}

void FireRecorderPanel::toggleRecording() {
    if (recording_) {
        stopRecording();
        return;
    }
    if (macro_ < 0) {
        if (texts_) context_.ui->showMessage(texts_->text("Str430"));
        return;
    }
    if (!capture_) capture_ = captureFactory_(captureNote_);
    const auto mode = fixed_->isChecked()     ? FireMacroRecorder::Mode::Fixed
                      : noDelay_->isChecked() ? FireMacroRecorder::Mode::None
                                              : FireMacroRecorder::Mode::RealTime;
    // The body's length less the terminating zero.
    recorder_.start(mode, fire::fieldValue(fixedDelay_->text().toStdString()), fire_.body(macro_).size() - 1);
    std::string error;
    const bool started = startCaptureFor(
        *capture_, this, [this](const InputEvent& e) { captured(e); }, error);
    if (!started) {
        context_.ui->showMessage(error);
        return;
    }
    recording_ = true;
    current_.clear();
    fillLines(0);
    if (texts_) record_->setText(QString::fromStdString(texts_->text("Str401")));
    updateEnabled();
}

void FireRecorderPanel::captured(const InputEvent& e) {
    if (!recording_) return;
    const bool full = recorder_.feed(e);
    current_ = recorder_.lines();
    fillLines(static_cast<int>(current_.size()) - 1);
    if (full) stopRecording();
}

void FireRecorderPanel::stopRecording() {
    if (!recording_) return;
    capture_->stop();
    recording_ = false;
    current_ = recorder_.lines();
    store();
    fillLines(static_cast<int>(current_.size()) - 1);
    if (texts_) record_->setText(QString::fromStdString(texts_->text("Str400")));
    updateEnabled();
}

void FireRecorderPanel::deleteLine() {
    if (macro_ < 0 || recording_ || lines_->currentRow() < 0) return;
    const auto r = fire_lines::remove(current_, lines_->currentRow());
    if (!r.removed) {
        context_.ui->showMessage(r.error);
        return;
    }
    store();
    fillLines(r.selection);
}

void FireRecorderPanel::insertLine() {
    const auto choice = static_cast<fire_lines::Insert>(choice_->currentIndex());
    const int value = fire::fieldValue(value_->text().toStdString());
    const int x = fire::fieldValue(x_->text().toStdString()), y = fire::fieldValue(y_->text().toStdString());
    auto lines = current_;
    const int at = fire_lines::insert(lines, lines_->currentRow(), choice, value, x, y);
    // An insert that would not fit the body is refused whole.
    if (fire_lines::toBody(lines).size() > fire_.body(macro_).size()) {
        context_.ui->showMessage("The fire macro has no room for another line.");
        return;
    }
    current_ = lines;
    store();
    insertBox_->hide();
    fillLines(at);
}

void FireRecorderPanel::updateEnabled() {
    const bool inserting = !insertBox_->isHidden();
    macros_->setEnabled(!recording_ && !inserting);
    record_->setEnabled(!inserting);
    delete_->setEnabled(!recording_ && !inserting && lines_->currentRow() >= 0);
    insert_->setEnabled(!recording_ && !inserting && macro_ >= 0);
    for (QWidget* w : {static_cast<QWidget*>(realTime_), static_cast<QWidget*>(fixed_),
                       static_cast<QWidget*>(noDelay_), static_cast<QWidget*>(fixedDelay_)})
        w->setEnabled(!recording_);
    const int c = choice_->currentIndex();
    value_->setVisible(c <= 1 || c == 4);
    x_->setVisible(c == 2 || c == 3);
    y_->setVisible(c == 2 || c == 3);
}

} // namespace krm::gui
