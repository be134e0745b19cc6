#include "engineering/ui/EngineeringPageView.h"

#include "base/Bits.h"
#include "shell/EngineeringCaptions.h"
#include "shell/EngineeringLocale.h"
#include "widgets/EntryBox.h"
#include "widgets/ValueDialogView.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace krm::gui {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Tab indexes of Pg_Parameter.
constexpr int kOperatorTab = 0, kGunTab = 1, kEngineerTab = 2;
// Caption table rows of the controls this page owns.
constexpr int kRowAdvanced = 3, kRowUsbGroup = 63, kRowVid = 64, kRowVidHex = 65, kRowPid = 66,
              kRowPidHex = 67, kRowDescription = 68, kRowSensorRotation = 138, kRowVendorCode = 139,
              kRowProductCode = 140;
constexpr int kFactoryRows[] = {10, 11, 12,
                                13}; // Default, Import Base Macro, Import Fire Macro, Load Patch Code

const char* const kStyle =
    "QWidget#gbEngineering{background:#0e1014;color:#e2e7ee;}"
    "QLabel,QCheckBox,QRadioButton{color:#d0d8e2;}"
    "QCheckBox:disabled,QRadioButton:disabled,QLabel:disabled{color:#7a8896;}"
    "QTabBar::tab{background:#1c2430;color:#d0d8e2;padding:4px 10px;border:1px solid #283038;"
    "min-width:110px;}"
    "QTabBar::tab:selected{background:#2c3a4c;color:#ffffff;}"
    "QTabWidget::pane{border:1px solid #283038;}"
    "QGroupBox{border:1px solid #283038;margin-top:14px;padding:6px;}"
    "QGroupBox::title{subcontrol-origin:margin;left:8px;color:#9fb3c8;}"
    "QLineEdit:disabled{color:#7a8896;}";

} // namespace

EngineeringPageView::EngineeringPageView(const PageContext& context, EngineeringEditor& editor,
                                         std::unique_ptr<ImageOperations> operations, XDataReader readXData)
    : context_(context), editor_(editor), operations_(std::move(operations)),
      readXData_(std::move(readXData)), column_(engineeringCaptionColumn()) {
    QWidget* page = context_.container;
    auto* body = new QWidget(page);
    body->setObjectName(QStringLiteral("gbEngineering"));
    body->setStyleSheet(QString::fromLatin1(kStyle));
    body->setGeometry(160, 64, page->width() - 168, page->height() - 72);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(body);
    tabs_->setObjectName(QStringLiteral("Pg_Parameter"));
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    layout->addWidget(tabs_);
    auto* operatorTab = new QWidget;
    operatorTab->setObjectName(QStringLiteral("ts_Operator"));
    auto* gunTab = new QWidget;
    gunTab->setObjectName(QStringLiteral("ts_Gun"));
    auto* engineerTab = new QWidget;
    engineerTab->setObjectName(QStringLiteral("ts_Engineer"));
    tabs_->addTab(operatorTab, QStringLiteral("  Operator  "));
    tabs_->addTab(gunTab, QStringLiteral("  Gun Confirm  "));
    tabs_->addTab(engineerTab, QStringLiteral("  Advanced    "));
    buildOperatorTab(operatorTab);
    auto* gunLayout = new QVBoxLayout(gunTab);
    gunLayout->addWidget(panelArea(gunTab, "ts_Gun"));
    buildAdvancedTab(engineerTab);

    prompt_ = [this]() -> std::optional<std::string> {
        const auto entry = askPassword(context_.window, language_, fontFamily_);
        if (!entry) return std::nullopt;
        return entry->toStdString();
    };
    choose_ = [this]() -> std::optional<std::string> {
        const QString file = QFileDialog::getOpenFileName(context_.window, QString(), QString(),
                                                          QStringLiteral("LoadFile (*.bin)"));
        if (file.isEmpty()) return std::nullopt;
        return file.toStdString();
    };
    setCaptionColumn(column_);
    applyHiddenMode();
}

EngineeringPageView::~EngineeringPageView() = default;

QLabel* EngineeringPageView::caption(QWidget* parent, int row) {
    auto* label = new QLabel(parent);
    captioned_.emplace_back(label, row);
    return label;
}

QLineEdit* EngineeringPageView::hexEdit(QWidget* parent, int digits, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(digits);
    // Characters outside the hex digits never reach the field.
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits)), edit));
    edit->setFixedWidth(18 + 10 * digits);
    return edit;
}

QWidget* EngineeringPageView::panelArea(QWidget* tab, const std::string& name) {
    auto* area = new QWidget(tab);
    area->setObjectName(QString::fromStdString("panels_" + name));
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    panelAreas_[name] = layout;
    return area;
}

void EngineeringPageView::buildOperatorTab(QWidget* tab) {
    auto* row = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    row->addLayout(left);
    row->addWidget(panelArea(tab, "ts_Operator"), 1);

    logo_ = new QLabel(QStringLiteral("KRM"), tab);
    logo_->setObjectName(QStringLiteral("Img_Logo4"));
    logo_->setFixedSize(150, 54);
    logo_->setAlignment(Qt::AlignCenter);
    logo_->setStyleSheet(QStringLiteral("QLabel{background:#1c2430;color:#e2e7ee;border:1px solid #3a4654;"
                                        "font-size:22pt;font-weight:bold;letter-spacing:4px;}"));
    logo_->installEventFilter(this);
    left->addWidget(logo_);

    usbGroup_ = new QGroupBox(tab);
    usbGroup_->setObjectName(QStringLiteral("gbUSBDesc"));
    captioned_.emplace_back(usbGroup_, kRowUsbGroup);
    usbGroup_->setToolTip(
        QStringLiteral("The new vendor id, product id and description take effect after the "
                       "mouse is unplugged and plugged in again."));
    auto* grid = new QGridLayout(usbGroup_);
    vid_ = hexEdit(usbGroup_, 4, QStringLiteral("edt_VID"));
    pid_ = hexEdit(usbGroup_, 4, QStringLiteral("edt_PID"));
    grid->addWidget(caption(usbGroup_, kRowVid), 0, 0);
    grid->addWidget(vid_, 0, 1);
    grid->addWidget(caption(usbGroup_, kRowVidHex), 0, 2);
    grid->addWidget(caption(usbGroup_, kRowPid), 1, 0);
    grid->addWidget(pid_, 1, 1);
    grid->addWidget(caption(usbGroup_, kRowPidHex), 1, 2);
    descriptor_ = new QLineEdit(usbGroup_);
    descriptor_->setObjectName(QStringLiteral("edt_USBDesc"));
    descriptor_->setMaxLength(static_cast<int>(EngineeringEditor::kDescriptorLength));
    grid->addWidget(caption(usbGroup_, kRowDescription), 2, 0);
    grid->addWidget(descriptor_, 2, 1, 1, 2);
    left->addWidget(usbGroup_);
    connect(vid_, &QLineEdit::textEdited, this,
            [this](const QString& t) { finish(editor_.typeVendorId(t.toStdString())); });
    connect(pid_, &QLineEdit::textEdited, this,
            [this](const QString& t) { finish(editor_.typeProductId(t.toStdString())); });
    connect(descriptor_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const EditOutcome out = editor_.typeDescriptor(t.toStdString());
        finish(out);
        if (out.refused) descriptor_->setText(qs(editor_.descriptor()));
    });

    auto* codes = new QGroupBox(tab);
    codes->setToolTip(
        QStringLiteral("255 is the default, universal code: one configuration program then serves "
                       "different hardware built on the same chip."));
    auto* codeGrid = new QGridLayout(codes);
    for (auto [captionRow, edit, name] : {std::tuple{kRowVendorCode, &vendorCode_, "edt_VendorID"},
                                          std::tuple{kRowProductCode, &productCode_, "edt_ProductID"}}) {
        *edit = new QLineEdit(codes);
        (*edit)->setObjectName(QString::fromLatin1(name));
        (*edit)->setMaxLength(3);
        (*edit)->setFixedWidth(48);
        (*edit)->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), *edit));
        const int r = captionRow == kRowVendorCode ? 0 : 1;
        codeGrid->addWidget(caption(codes, captionRow), r, 0);
        codeGrid->addWidget(*edit, r, 1);
        connect(*edit, &QLineEdit::textEdited, this, [this](const QString&) {
            for (QLineEdit* e : {vendorCode_, productCode_})
                if (decimalValue(e->text().toStdString()) >= 256) correctTyping(e, QStringLiteral("255"));
            finish(editor_.setFactoryCodes(decimalValue(vendorCode_->text().toStdString()),
                                           decimalValue(productCode_->text().toStdString())));
        });
    }
    const OptionControl* rotation = findOptionControl("cb_SensorRotation");
    auto* rotationList = new QComboBox(codes);
    rotationList->setObjectName(QStringLiteral("cb_SensorRotation"));
    for (std::string_view item : rotation->items) rotationList->addItem(qs(item));
    options_["cb_SensorRotation"] = rotationList;
    connect(rotationList, &QComboBox::activated, this,
            [this, rotation](int index) { finish(editor_.chooseOption(*rotation, index)); });
    codeGrid->addWidget(caption(codes, kRowSensorRotation), 2, 0);
    codeGrid->addWidget(rotationList, 2, 1);
    auto* checksumLabel = new QLabel(QStringLiteral("Patch Code CheckSum: 0x"), codes);
    patchChecksum_ = new QLineEdit(codes);
    patchChecksum_->setObjectName(QStringLiteral("edt_PatCodeCk"));
    patchChecksum_->setEnabled(false);
    patchChecksum_->setFixedWidth(58);
    codeGrid->addWidget(checksumLabel, 3, 0);
    codeGrid->addWidget(patchChecksum_, 3, 1);
    left->addWidget(codes);

    auto* buttons = new QGridLayout;
    const char* const names[] = {"Btn_Default", "Btn_ImportBaseMacro", "Btn_ImportGunMacro", "Btn_PatchCode"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(tab);
        b->setObjectName(QString::fromLatin1(names[i]));
        captioned_.emplace_back(b, kFactoryRows[i]);
        factoryButtons_[kFactoryRows[i]] = b;
        buttons->addWidget(b, i / 2, i % 2);
    }
    left->addLayout(buttons);
    left->addStretch(1);
    connect(factoryButtons_[10], &QPushButton::clicked, this, [this] {
        operations_->restoreFromEngineeringPage();
        refresh();
    });
    connect(factoryButtons_[11], &QPushButton::clicked, this, [this] {
        operations_->importMacroBlock(choose_);
        refresh();
    });
    connect(factoryButtons_[12], &QPushButton::clicked, this, [this] {
        operations_->importGunMacros(choose_);
        refresh();
    });
    connect(factoryButtons_[13], &QPushButton::clicked, this, [this] {
        operations_->programPatchFile(choose_);
        refresh();
    });
}

void EngineeringPageView::buildAdvancedTab(QWidget* tab) {
    auto* row = new QHBoxLayout(tab);
    auto* optionsColumn = new QGridLayout;
    row->addLayout(optionsColumn);
    std::map<std::string_view, QGridLayout*> groups;
    int groupCount = 0;
    for (const OptionControl& c : optionControls()) {
        if (c.group.empty()) continue; // the sensor rotation sits on the operator tab
        QGridLayout*& grid = groups[c.group];
        if (!grid) {
            auto* box = new QGroupBox(qs(c.group), tab);
            grid = new QGridLayout(box);
            grid->setVerticalSpacing(2);
            optionsColumn->addWidget(box, groupCount % 3, groupCount / 3);
            ++groupCount;
        }
        auto* list = new QComboBox(grid->parentWidget());
        list->setObjectName(qs(c.control));
        for (std::string_view item : c.items) list->addItem(qs(item));
        options_[std::string(c.control)] = list;
        const OptionControl* control = &c;
        connect(list, &QComboBox::activated, this,
                [this, control](int index) { finish(editor_.chooseOption(*control, index)); });
        const int r = grid->rowCount();
        grid->addWidget(new QLabel(qs(c.label), grid->parentWidget()), r, 0);
        grid->addWidget(list, r, 1);
    }

    auto* right = new QVBoxLayout;
    row->addLayout(right, 1);
    auto* xdata = new QGroupBox(QStringLiteral("XData"), tab);
    auto* ledInit = new QGroupBox(QStringLiteral("LED Init"), tab);
    auto* xgrid = new QGridLayout(xdata);
    xgrid->setVerticalSpacing(1);
    auto* lgrid = new QGridLayout(ledInit);
    int n = 0;
    for (const RegisterControl& r : registerControls()) {
        const bool led = r.offset >= 40;
        QGroupBox* box = led ? ledInit : xdata;
        QGridLayout* grid = led ? lgrid : xgrid;
        QLineEdit* edit = hexEdit(box, r.digits, qs("edt_" + std::string(r.name)));
        registers_.emplace_back(&r, edit);
        const int at = led ? static_cast<int>(r.offset - 40) : n++;
        const int perColumn = led ? 2 : 16;
        const int col = (at / perColumn) * 3, line = at % perColumn;
        grid->addWidget(new QLabel(qs(std::string(r.name) + ":"), box), line, col);
        grid->addWidget(new QLabel(QStringLiteral("0x"), box), line, col + 1);
        grid->addWidget(edit, line, col + 2);
        const RegisterControl* reg = &r;
        connect(edit, &QLineEdit::textEdited, this, [this, reg, edit](const QString& text) {
            long value = hexValue(text.toStdString());
            if (value > 255) {
                correctTyping(edit, QStringLiteral("FF"));
                value = 255;
            }
            finish(editor_.setRegister(*reg, value));
        });
    }
    right->addWidget(xdata);
    auto* lower = new QHBoxLayout;
    right->addLayout(lower);
    lower->addWidget(ledInit);

    auto* access = new QGroupBox(QStringLiteral("XData"), tab);
    auto* agrid = new QGridLayout(access);
    xdataAddress_ = hexEdit(access, 4, QStringLiteral("edt_XDataAddr"));
    xdataAddress_->setText(QStringLiteral("7241"));
    xdataValue_ = hexEdit(access, 2, QStringLiteral("edt_XDataValue"));
    xdataValue_->setText(QStringLiteral("00"));
    auto* read = new QPushButton(QStringLiteral("Read"), access);
    read->setObjectName(QStringLiteral("btn_XDataRead"));
    auto* write = new QPushButton(QStringLiteral("Write"), access);
    write->setObjectName(QStringLiteral("btn_XDataWrite"));
    auto* changed = new QPushButton(QStringLiteral("Changed XData"), access);
    changed->setObjectName(QStringLiteral("btn_ChangeXData"));
    agrid->addWidget(new QLabel(QStringLiteral("Addr: 0x"), access), 0, 0);
    agrid->addWidget(xdataAddress_, 0, 1);
    agrid->addWidget(new QLabel(QStringLiteral("Value: 0x"), access), 0, 2);
    agrid->addWidget(xdataValue_, 0, 3);
    agrid->addWidget(read, 1, 0, 1, 2);
    agrid->addWidget(write, 1, 2, 1, 2);
    agrid->addWidget(changed, 2, 0, 1, 4);
    lower->addWidget(access);
    connect(read, &QPushButton::clicked, this, &EngineeringPageView::readXData);
    connect(write, &QPushButton::clicked, this, &EngineeringPageView::writeXData);
    connect(changed, &QPushButton::clicked, this, [this] { finish(editor_.changedXData()); });
    right->addWidget(panelArea(tab, "ts_Engineer"), 1);
}

void EngineeringPageView::placePanel(const std::string& tab, std::unique_ptr<TabPanel> panel) {
    auto area = panelAreas_.find(tab);
    if (area == panelAreas_.end() || !panel) return;
    // Before the stretch that keeps the panels at the top.
    area->second->insertWidget(area->second->count() - 1, panel->widget(), 0, Qt::AlignLeft);
    panel->setCaptionColumn(column_);
    panel->setFactoryControlsShown(editor_.hiddenMode().factoryControlsShown());
    tabPanels_.push_back(panel.get());
    addPanel(std::move(panel)); // skin, texts, refresh and shown come with the page's
}

QComboBox* EngineeringPageView::optionList(const std::string& control) const {
    auto it = options_.find(control);
    return it == options_.end() ? nullptr : it->second;
}

QPushButton* EngineeringPageView::factoryButton(int row) const {
    auto it = factoryButtons_.find(row);
    return it == factoryButtons_.end() ? nullptr : it->second;
}

void EngineeringPageView::setCaptionColumn(int column) {
    column_ = column;
    QFont font(qs(engineeringFontFamily(column)));
    font.setPointSize(9);
    tabs_->setFont(font);
    for (auto [widget, row] : captioned_) {
        const QString text = qs(engineeringCaption(row, column));
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            button->setText(text);
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            box->setTitle(text);
    }
    tabs_->setTabText(kEngineerTab,
                      QStringLiteral("  %1    ").arg(qs(engineeringCaption(kRowAdvanced, column))));
    for (TabPanel* p : tabPanels_) p->setCaptionColumn(column);
}

void EngineeringPageView::applySkin(const PageSkin& skin) {
    // The page draws itself; its dialogs take the look.
    language_ = skin.language;
    fontFamily_ = skin.fontFamily;
}

void EngineeringPageView::setTexts(const TextSource&) {}

void EngineeringPageView::refresh() {
    refill(vid_, QString::fromStdString(hex4(editor_.vendorId())));
    refill(pid_, QString::fromStdString(hex4(editor_.productId())));
    refill(descriptor_, qs(editor_.descriptor()));
    refill(vendorCode_, QString::number(editor_.vendorCode()));
    refill(productCode_, QString::number(editor_.productCode()));
    patchChecksum_->setText(QString::fromStdString(hex4(editor_.patchChecksum())));
    for (const OptionControl& c : optionControls()) {
        QComboBox* list = optionList(std::string(c.control));
        if (!list) continue;
        const QSignalBlocker block(list);
        list->setCurrentIndex(editor_.optionIndex(c).value_or(-1));
    }
    for (auto [reg, edit] : registers_) refill(edit, qs(hexText(editor_.registerValue(*reg))));
}

void EngineeringPageView::shown(Page) {
    refresh();
}

void EngineeringPageView::hideMenus() {
    for (auto [name, list] : options_) list->hidePopup();
}

void EngineeringPageView::finish(const EditOutcome& outcome) {
    const EditOutcome done = context_.sink->apply(outcome);
    if (done.refused && done.message && !done.message->empty()) context_.ui->showMessage(*done.message);
    for (const OptionControl& c : optionControls())
        if (QComboBox* list = optionList(std::string(c.control))) {
            const QSignalBlocker block(list);
            list->setCurrentIndex(editor_.optionIndex(c).value_or(-1));
        }
}

bool EngineeringPageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == logo_ && event->type() == QEvent::MouseButtonDblClick) {
        logoDoubleClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void EngineeringPageView::logoDoubleClicked() {
    HiddenMode& mode = editor_.hiddenMode();
    if (mode.doubleClicked() == HiddenMode::Step::AskPassword) {
        hideMenus();
        if (const auto entry = prompt_ ? prompt_() : std::nullopt) mode.passwordEntered(*entry);
    }
    applyHiddenMode();
}

void EngineeringPageView::applyHiddenMode() {
    const bool shown = editor_.hiddenMode().factoryControlsShown();
    tabs_->setTabVisible(kGunTab, shown);
    tabs_->setTabVisible(kEngineerTab, shown);
    // The tab widget lays its bar out again only when it is resized: the bar takes its new width here.
    tabs_->tabBar()->resize(tabs_->tabBar()->sizeHint());
    if (!shown) tabs_->setCurrentIndex(kOperatorTab);
    for (auto [row, button] : factoryButtons_) button->setVisible(shown);
    for (TabPanel* p : tabPanels_) p->setFactoryControlsShown(shown);
}

void EngineeringPageView::readXData() {
    const auto address = static_cast<std::uint16_t>(hexValue(xdataAddress_->text().toStdString()) & 0xFFFF);
    if (!readXData_) return;
    if (const auto value = readXData_(address)) xdataValue_->setText(QString::fromStdString(hex2(*value)));
}

void EngineeringPageView::writeXData() {
    const auto address = static_cast<std::uint16_t>(hexValue(xdataAddress_->text().toStdString()) & 0xFFFF);
    const auto value = static_cast<std::uint8_t>(hexValue(xdataValue_->text().toStdString()) & 0xFF);
    finish(editor_.xdataWrite(address, value));
}

} // namespace krm::gui
