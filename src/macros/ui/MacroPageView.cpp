#include "macros/ui/MacroPageView.h"

#include "buttons/KeyboardTables.h"
#include "buttons/QtKeyMapping.h"
#include "buttons/ValueDialogs.h"
#include "device/UiPort.h"
#include "image/ImageFiles.h"
#include "widgets/ClickLabel.h"
#include "widgets/EntryBox.h"
#include "widgets/QtImages.h"
#include "widgets/QtInputCapture.h"
#include "widgets/SkinWidgets.h"
#include "widgets/ValueDialogView.h"

#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace krm::gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kTextIndent = 35; // row text starts right of the icon

// Event rows: an icon for the kind, stretched to the row height, then the name, the delay or the move.
class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QColor selection{235, 64, 80};
    QColor textColour{222, 226, 234};

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QRect r = option.rect;
        if (option.state & QStyle::State_Selected) p->fillRect(r, selection);
        const int side = r.height() - 4;
        const QRectF icon(r.left() + 6, r.top() + 2, side, side);
        drawIcon(*p, icon, static_cast<MacroRow::Kind>(index.data(kKindRole).toInt()));
        p->setPen(textColour);
        p->drawText(r.adjusted(kTextIndent, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                    index.data().toString());
        p->restore();
    }

    static void drawIcon(QPainter& p, const QRectF& box, MacroRow::Kind kind) {
        // Drawn on a 20 × 20 grid and scaled to the row.
        p.save();
        p.translate(box.topLeft());
        p.scale(box.width() / 20.0, box.height() / 20.0);
        const QColor colours[] = {QColor(250, 200, 60), QColor(90, 200, 120), QColor(230, 110, 90),
                                  QColor(100, 170, 240)};
        const QColor c = colours[static_cast<int>(kind) & 3];
        p.setPen(QPen(c, 2));
        p.setBrush(Qt::NoBrush);
        switch (kind) {
        case MacroRow::Kind::Delay: // a clock
            p.drawEllipse(QPointF(10, 10), 8, 8);
            p.drawLine(QPointF(10, 10), QPointF(10, 5));
            p.drawLine(QPointF(10, 10), QPointF(14, 12));
            break;
        case MacroRow::Kind::Press: // an arrow down onto a key
        case MacroRow::Kind::Release: {
            const bool down = kind == MacroRow::Kind::Press;
            p.drawRoundedRect(QRectF(3, down ? 13 : 3, 14, 5), 1.5, 1.5);
            QPainterPath arrow;
            const double tip = down ? 11 : 9, base = down ? 3 : 17;
            arrow.moveTo(10, base);
            arrow.lineTo(10, tip);
            arrow.moveTo(6, tip + (down ? -4 : 4));
            arrow.lineTo(10, tip);
            arrow.lineTo(14, tip + (down ? -4 : 4));
            p.drawPath(arrow);
            break;
        }
        case MacroRow::Kind::Move: // four arrows
            p.drawLine(QPointF(10, 2), QPointF(10, 18));
            p.drawLine(QPointF(2, 10), QPointF(18, 10));
            p.drawLine(QPointF(7, 5), QPointF(10, 2));
            p.drawLine(QPointF(13, 5), QPointF(10, 2));
            p.drawLine(QPointF(15, 7), QPointF(18, 10));
            p.drawLine(QPointF(15, 13), QPointF(18, 10));
            break;
        }
        p.restore();
    }
};

int clampedInt(const QString& text, int low, int high, int empty) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok) return empty;
    return std::clamp(v, low, high);
}

} // namespace

MacroPageView::MacroPageView(const PageContext& context, MacroEditor& editor, CaptureFactory capture)
    : QObject(context.window), context_(context), editor_(editor), captureFactory_(std::move(capture)) {
    if (!captureFactory_) captureFactory_ = [](std::string& note) { return makeRecorderInput(note); };
    build();
}

MacroPageView::~MacroPageView() {
    if (capture_) capture_->stop();
}

ValueDialogView* MacroPageView::nameDialog() {
    return new ValueDialogView(context_.window, ValueDialogView::Mode::Name, {text("Str510")}, text("Str511"),
                               text("Str512"), language_, fontFamily_);
}

QString MacroPageView::text(const char* id) const {
    return context_.texts ? qs(context_.texts->text(id)) : QString();
}

ClickLabel* MacroPageView::makeButton(QWidget* parent, const QString& role, const QString& labelName,
                                      const QString& picture) {
    auto* img = new QLabel(parent);
    img->setObjectName(QStringLiteral("Img_") + role);
    img->setScaledContents(true);
    img->setPixmap(resourcePixmap(picture));
    auto* label = new ClickLabel(parent);
    label->setObjectName(labelName);
    label->setAlignment(Qt::AlignCenter);
    placed_.emplace_back(img, img->objectName().toStdString());
    placed_.emplace_back(label, labelName.toStdString());
    buttons_.push_back(label);
    return label;
}

void MacroPageView::build() {
    QWidget* c = context_.container;
    for (const char* name : {"Marco_List_Lable", "Marco_Content_Lable", "Marco_Mouse_List_Lable"}) {
        auto* title = new QLabel(c);
        title->setObjectName(QString::fromLatin1(name));
        titles_.push_back(title);
        placed_.emplace_back(title, name);
    }
    auto makeList = [&](const char* name) {
        auto* list = new QListWidget(c);
        list->setObjectName(QString::fromLatin1(name));
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->setStyleSheet(
            QStringLiteral("QListWidget{background:rgba(10,12,16,200);color:#dee2ea;border:1px "
                           "solid #3a3f4a} QListWidget::item:selected{background:#eb4050}"));
        placed_.emplace_back(list, name);
        return list;
    };
    pcList_ = makeList("LB_PCMacroName");
    rowList_ = makeList("LB_macro");
    deviceList_ = makeList("LB_MacroName");
    rowList_->setItemDelegate(new RowDelegate(rowList_));
    connect(pcList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) selectLibraryMacro(row);
    });
    connect(deviceList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) selectDeviceMacro(row);
    });
    connect(rowList_, &QListWidget::itemDoubleClicked, this, [this] { editRow(rowList_->currentRow()); });

    // The page's New also chooses "until the macro key is released" for what is recorded next: shown
    // on the panel, no stored macro changed, and still chosen when the new macro is shown.
    connect(makeButton(c, "New", "Btn_New", "MacroS_01"), &ClickLabel::clicked, this, [this] {
        const RepeatOption untilReleased{RepeatOption::Kind::UntilReleased, 1};
        showRepeat(untilReleased);
        auto* d = nameDialog();
        connect(d, &QDialog::accepted, this, [this, d, untilReleased] {
            newMacro(d->edit()->text());
            showRepeat(untilReleased);
        });
        d->show();
    });
    connect(makeButton(c, "Delete", "btn_Delete", "MacroS_01"), &ClickLabel::clicked, this,
            &MacroPageView::deleteLibraryMacro);
    connect(makeButton(c, "Add_Mouse", "Btn_Add_Mouse", "MacroS_01"), &ClickLabel::clicked, this,
            &MacroPageView::addToMouse);
    connect(makeButton(c, "delete_mouse", "Btn_delete_mouse", "MacroS_01"), &ClickLabel::clicked, this,
            &MacroPageView::deleteDeviceMacro);
    connect(makeButton(c, "Start", "Btn_Start", "MacroS_01"), &ClickLabel::clicked, this,
            &MacroPageView::toggleRecording);

    // The delay and repeat box.
    delayBox_ = new QWidget(c);
    delayBox_->setObjectName(QStringLiteral("Gb_Delay"));
    placed_.emplace_back(delayBox_, "Gb_Delay");
    auto option = [&](const char* picture, const char* label, std::function<void()> clicked) {
        auto* img = new ClickLabel(delayBox_);
        img->setObjectName(QString::fromLatin1(picture));
        img->setScaledContents(true);
        img->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the option through its caption
        auto* caption = new ClickLabel(delayBox_);
        caption->setObjectName(QString::fromLatin1(label));
        caption->setRole(ClickLabel::Role::Option);
        caption->setTickPicture(img);
        placed_.emplace_back(img, picture);
        placed_.emplace_back(caption, label);
        connect(img, &ClickLabel::clicked, this, clicked);
        connect(caption, &ClickLabel::clicked, this, clicked);
        optionPictures_.push_back(img);
        optionCaptions_.push_back(caption);
    };
    option("IB_RecDelay", "lbl_Record_Delay", [this] { setDelayMode(DelayMode::Recorded); });
    option("IB_DelayTime", "lbl_Delay_Setting", [this] { setDelayMode(DelayMode::Fixed); });
    option("IB_NoDelay", "lbl_No_Delay", [this] { setDelayMode(DelayMode::None); });
    option("Img_ReleaseStopEnter", "lbl_ReleaseStopEnter", [this] {
        setRepeat({RepeatOption::Kind::UntilReleased, 1});
    });
    option("Img_ReleaseStopCount", "lbl_ReleaseStopCount", [this] {
        setRepeat({RepeatOption::Kind::Cycles, clampedInt(stopCountEdit_->text(), 1, macro::kMaxCycles, 1)});
    });
    auto* ms = new QLabel(delayBox_);
    ms->setObjectName(QStringLiteral("lbl_MS"));
    placed_.emplace_back(ms, "lbl_MS");
    delayEdit_ = new QLineEdit(delayBox_);
    delayEdit_->setObjectName(QStringLiteral("Edt_Delay"));
    delayEdit_->setMaxLength(5);
    placed_.emplace_back(delayEdit_, "Edt_Delay");
    connect(delayEdit_, &QLineEdit::editingFinished, this, [this] {
        committing(delayEdit_);
        setFixedDelay(clampedInt(delayEdit_->text(), 1, macro::kMaxDelayMs, 1));
    });
    stopCountEdit_ = new QLineEdit(delayBox_);
    stopCountEdit_->setObjectName(QStringLiteral("Edt_StopCount"));
    stopCountEdit_->setMaxLength(3);
    placed_.emplace_back(stopCountEdit_, "Edt_StopCount");
    connect(stopCountEdit_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const int n = clampedInt(t, 1, macro::kMaxCycles, 1);
        if (!t.isEmpty()) correctTyping(stopCountEdit_, QString::number(n));
        if (repeat_.kind == RepeatOption::Kind::Cycles) setRepeat({RepeatOption::Kind::Cycles, n});
    });

    // The insert box, in the delay box's place while a row is inserted.
    insertBox_ = new QWidget(c);
    insertBox_->setObjectName(QStringLiteral("Gb_Insert"));
    insertBox_->hide();
    placed_.emplace_back(insertBox_, "Gb_Insert");
    insertPicture_ = new QLabel(insertBox_);
    insertPicture_->setScaledContents(true);
    insertPicture_->setGeometry(0, 0, 207, 162);
    insertCombo_ = new QComboBox(insertBox_);
    insertCombo_->setObjectName(QStringLiteral("CB_Insert"));
    placed_.emplace_back(insertCombo_, "CB_Insert");
    connect(insertCombo_, &QComboBox::currentIndexChanged, this, &MacroPageView::insertItemChanged);
    int k = 0;
    for (const char* role : {"InsertRecDelay", "InsertDelayTime", "InsertNoDelay"}) {
        auto* img = new ClickLabel(insertBox_);
        img->setObjectName(QStringLiteral("Img_") + QString::fromLatin1(role));
        img->setScaledContents(true);
        auto* caption = new ClickLabel(insertBox_);
        caption->setObjectName(QStringLiteral("IB_") + QString::fromLatin1(role));
        caption->setRole(ClickLabel::Role::Option);
        caption->setTickPicture(img);
        placed_.emplace_back(img, img->objectName().toStdString());
        placed_.emplace_back(caption, caption->objectName().toStdString());
        const DelayMode mode = k == 0 ? DelayMode::Recorded : k == 1 ? DelayMode::Fixed : DelayMode::None;
        for (ClickLabel* l : {img, caption})
            connect(l, &ClickLabel::clicked, this, [this, mode] {
                insertDelayMode_ = mode;
                updateOptionPictures();
            });
        insertDelayPictures_.push_back(img);
        insertDelayCaptions_.push_back(caption);
        insertTexts_.push_back(caption);
        ++k;
    }
    auto edit = [&](const char* name, const char* caption, const QString& initial) {
        auto* e = new QLineEdit(initial, insertBox_);
        e->setObjectName(QString::fromLatin1(name));
        placed_.emplace_back(e, name);
        auto* l = new QLabel(insertBox_);
        l->setObjectName(QString::fromLatin1(caption));
        placed_.emplace_back(l, caption);
        insertTexts_.push_back(l);
        return e;
    };
    insertDelay_ = edit("Edt_InsertDelay", "lbl_Delay", QStringLiteral("50"));
    xEdit_ = edit("edt_XAxisValue", "lbl_XAxisValue", QStringLiteral("12"));
    yEdit_ = edit("edt_YAxisValue", "lbl_YAxisValue", QStringLiteral("12"));
    for (QLineEdit* e : {xEdit_, yEdit_})
        connect(e, &QLineEdit::textEdited, this, [e](const QString& t) {
            const std::string s = t.toStdString();
            if (!xy_dialog::accepts(s))
                e->setText(QStringLiteral("0"));
            else if (xy_dialog::normalize(s) != s)
                e->setText(qs(xy_dialog::normalize(s)));
        });
    connect(insertDelay_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const std::string s = t.toStdString();
        if (!delay_dialog::accepts(s) || delay_dialog::normalize(s) != s)
            insertDelay_->setText(qs(delay_dialog::normalize(s)));
    });
    connect(makeButton(insertBox_, "InsertStart", "Btn_InsertStart", "MacroS_01"), &ClickLabel::clicked, this,
            &MacroPageView::toggleInsertRecording);
    connect(makeButton(insertBox_, "OK", "Btn_OK", "MacroBtnS_01"), &ClickLabel::clicked, this,
            &MacroPageView::insertOk);
    connect(makeButton(insertBox_, "Cancel", "Btn_Cancel", "MacroBtnS_01"), &ClickLabel::clicked, this,
            &MacroPageView::insertCancel);

    note_ = new QLabel(c);
    note_->setObjectName(QStringLiteral("lbl_RecorderNote"));
    note_->setStyleSheet(QStringLiteral("color:#f0c040"));
    note_->setWordWrap(true);
    note_->hide();

    // Context menus.
    pcMenu_ = new QMenu(context_.window);
    pcMenu_->setObjectName(QStringLiteral("Pnl_PCMacro"));
    deviceMenu_ = new QMenu(context_.window);
    deviceMenu_->setObjectName(QStringLiteral("Pnl_DevMacro"));
    rowMenu_ = new QMenu(context_.window);
    rowMenu_->setObjectName(QStringLiteral("Pnl_DevContent"));
    connect(pcList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(pcList_, pcMenu_, at); });
    connect(deviceList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(deviceList_, deviceMenu_, at); });
    connect(rowList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (pcRow_ && rowList_->itemAt(at)) contextMenu(rowList_, rowMenu_, at);
    });
    updateOptionPictures();
}

ClickLabel* MacroPageView::button(const QString& name) const {
    for (ClickLabel* b : buttons_)
        if (b->objectName() == name) return b;
    for (QLabel* l : optionPictures_)
        if (l->objectName() == name) return static_cast<ClickLabel*>(l);
    return nullptr;
}

QString MacroPageView::captureNote() const {
    return qs(captureNote_);
}

// --- skin and texts ---

void MacroPageView::place(QWidget* w, const std::string& name) {
    const Placement* p = layout_ ? layout_->find(name) : nullptr;
    if (!p) return;
    applyPlacement(w, *p, fontFamily_);
    if (w != insertBox_) w->setVisible(p->visible);
}

void MacroPageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    language_ = skin.language;
    for (auto& [w, name] : placed_) place(w, name);
    if (layout_ && layout_->macroItemHeight > 0)
        for (QListWidget* l : {pcList_, deviceList_, rowList_})
            l->setStyleSheet(l->styleSheet() +
                             QStringLiteral("QListWidget::item{height:%1px}").arg(layout_->macroItemHeight));
    if (layout_) {
        auto* delegate = static_cast<RowDelegate*>(rowList_->itemDelegate());
        if (const SkinColour c = layout_->colour("Color_MACRO")) delegate->selection = toQColor(c);
        // The number boxes, the insert box's list and its boxes in the page's colours; the lists' menus
        // dark as the window.
        const QString boxes = entryBoxStyle(*layout_, EntryRegion::Macro);
        delayBox_->setStyleSheet(boxes);
        insertBox_->setStyleSheet(boxes);
        for (QMenu* menu : {pcMenu_, deviceMenu_, rowMenu_}) menu->setStyleSheet(menuStyle(*layout_));
    }
    delayBox_->setVisible(!inserting_);
    insertBox_->setVisible(inserting_);
    if (const Placement* p = layout_ ? layout_->find("Gb_Delay") : nullptr)
        note_->setGeometry(189, p->y - 28, 800, 24);
    for (QWidget* w : {static_cast<QWidget*>(pcList_), static_cast<QWidget*>(rowList_),
                       static_cast<QWidget*>(deviceList_)})
        w->raise();
    // The buttons under the three lists: Tab reads them from the left.
    std::vector<QWidget*> row;
    for (const char* name : {"Btn_New", "btn_Delete", "Btn_Start", "Btn_Add_Mouse", "Btn_delete_mouse"})
        if (QWidget* b = button(QString::fromLatin1(name))) row.push_back(b);
    orderTabsByPosition(row);
}

void MacroPageView::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    titles_[0]->setText(text("Str834"));
    titles_[1]->setText(text("Str836"));
    titles_[2]->setText(text("Str835"));
    // Each list is named by its heading for screen readers.
    pcList_->setAccessibleName(titles_[0]->text());
    rowList_->setAccessibleName(titles_[1]->text());
    deviceList_->setAccessibleName(titles_[2]->text());
    button("Btn_New")->setText(text("Str432"));
    button("btn_Delete")->setText(text("Str433"));
    button("Btn_delete_mouse")->setText(text("Str433"));
    // The two Delete buttons are told apart by the list each deletes from.
    button("btn_Delete")->setAccessibleName(text("Str927").arg(titles_[0]->text(), text("Str433")));
    button("Btn_delete_mouse")->setAccessibleName(text("Str927").arg(titles_[2]->text(), text("Str433")));
    button("Btn_Add_Mouse")->setText(text("Str434"));
    button("Btn_Start")->setText(text(recording_ ? "Str401" : "Str400"));
    button("Btn_InsertStart")->setText(text(insertRecording_ ? "Str401" : "Str400"));
    button("Btn_OK")->setText(text("Str420"));
    button("Btn_Cancel")->setText(text("Str422"));
    auto set = [&](const char* name, const char* id) {
        if (auto* l = delayBox_->findChild<QLabel*>(QString::fromLatin1(name))) l->setText(text(id));
        if (auto* l = insertBox_->findChild<QLabel*>(QString::fromLatin1(name))) l->setText(text(id));
    };
    set("lbl_Record_Delay", "Str837");
    set("lbl_Delay_Setting", "Str838");
    set("lbl_No_Delay", "Str839");
    set("lbl_MS", "Str840");
    set("lbl_ReleaseStopEnter", "Str867");
    set("lbl_ReleaseStopCount", "Str868");
    // The two boxes are named by the options they belong to.
    delayEdit_->setAccessibleName(text("Str838"));
    stopCountEdit_->setAccessibleName(text("Str868"));
    set("IB_InsertRecDelay", "Str414");
    set("IB_InsertDelayTime", "Str415");
    set("IB_InsertNoDelay", "Str416");
    set("lbl_Delay", "Str417");
    set("lbl_XAxisValue", "Str454");
    set("lbl_YAxisValue", "Str455");
    const int item = insertCombo_->currentIndex();
    insertCombo_->blockSignals(true);
    insertCombo_->clear();
    for (const char* id : {"Str410", "Str411", "Str412", "Str413", "Str450", "Str451"})
        insertCombo_->addItem(text(id));
    insertCombo_->setCurrentIndex(std::max(item, 0));
    insertCombo_->blockSignals(false);

    pcMenu_->clear();
    const std::pair<const char*, std::function<void()>> pcItems[] = {
        {"Str402",
         [this] {
             auto* d = nameDialog();
             connect(d, &QDialog::accepted, this, [this, d] { newMacro(d->edit()->text()); });
             d->show();
         }},
        {"Str403",
         [this] {
             if (!pcRow_) return;
             auto* d = nameDialog();
             connect(d, &QDialog::accepted, this, [this, d] { renameMacro(d->edit()->text()); });
             d->show();
         }},
        {"Str404", [this] { deleteLibraryMacro(); }},
        {"Str405",
         [this] {
             const QString f =
                 QFileDialog::getOpenFileName(context_.window, {}, {}, QStringLiteral("LoadFile(*.bin)"));
             if (!f.isEmpty()) libraryResult(editor_.library().importOne(f.toStdString()));
             refresh();
         }},
        {"Str406",
         [this] {
             const QString f =
                 QFileDialog::getOpenFileName(context_.window, {}, {}, QStringLiteral("LoadFile(*.bin)"));
             if (!f.isEmpty()) libraryResult(editor_.library().importAll(f.toStdString()));
             refresh();
         }},
        {"Str407",
         [this] {
             if (!pcRow_) return;
             const QString f =
                 QFileDialog::getSaveFileName(context_.window, {}, {}, QStringLiteral("SaveFile(*.bin)"));
             if (!f.isEmpty())
                 libraryResult(editor_.library().exportOne(*pcRow_, saveFileName(f.toStdString())));
         }},
        {"Str408",
         [this] {
             const QString f =
                 QFileDialog::getSaveFileName(context_.window, {}, {}, QStringLiteral("SaveFile(*.bin)"));
             if (!f.isEmpty()) libraryResult(editor_.library().exportAll(saveFileName(f.toStdString())));
         }},
        {"Str409", [this] { addToMouse(); }},
    };
    for (const auto& [id, run] : pcItems) {
        QAction* a = pcMenu_->addAction(text(id), this, run);
        a->setObjectName(QString::fromLatin1(id));
    }
    deviceMenu_->clear();
    deviceMenu_->addAction(text("Str433"), this, &MacroPageView::deleteDeviceMacro)->setObjectName("Str433");
    deviceMenu_
        ->addAction(text("Str435"), this,
                    [this] {
                        const QString f = QFileDialog::getSaveFileName(context_.window, {}, {},
                                                                       QStringLiteral("SaveFile(*.bin)"));
                        if (f.isEmpty()) return;
                        if (auto error = writeMacroBlockFile(saveFileName(f.toStdString()), editor_.block()))
                            context_.ui->showMessage(error->message);
                    })
        ->setObjectName("Str435");
    rowMenu_->clear();
    rowMenu_->addAction(text("Str843"), this, [this] { editRow(rowList_->currentRow()); })
        ->setObjectName("Str843");
    rowMenu_->addAction(text("Str844"), this, [this] { deleteRow(rowList_->currentRow()); })
        ->setObjectName("Str844");
    rowMenu_->addAction(text("Str845"), this, &MacroPageView::openInsertPanel)->setObjectName("Str845");
    refresh();
}

// --- lists and rows ---

void MacroPageView::refresh() {
    fillLists();
    const std::string problem = editor_.libraryProblem();
    const std::string note = !problem.empty() ? problem : captureNote_;
    note_->setText(qs(note));
    note_->setVisible(!note.empty());
    updateEnabled();
}

void MacroPageView::fillLists() {
    const QSignalBlocker a(pcList_), b(deviceList_);
    pcList_->clear();
    for (std::size_t i = 0; i < editor_.library().size(); ++i)
        pcList_->addItem(qs(editor_.library().name(i)));
    deviceList_->clear();
    for (std::size_t i = 0; i < editor_.deviceMacros().size(); ++i)
        deviceList_->addItem(qs(editor_.deviceMacroName(i)));
    if (pcRow_ && *pcRow_ >= editor_.library().size()) pcRow_.reset();
    if (deviceRow_ && *deviceRow_ >= editor_.deviceMacros().size()) deviceRow_.reset();
    if (pcRow_) pcList_->setCurrentRow(static_cast<int>(*pcRow_));
    if (deviceRow_) deviceList_->setCurrentRow(static_cast<int>(*deviceRow_));
}

void MacroPageView::selectLibraryMacro(int row) {
    if (recording_ || row < 0 || static_cast<std::size_t>(row) >= editor_.library().size()) return;
    pcRow_ = static_cast<std::size_t>(row);
    deviceRow_.reset();
    {
        const QSignalBlocker block(deviceList_);
        deviceList_->clearSelection();
        deviceList_->setCurrentRow(-1);
    }
    if (pcList_->currentRow() != row) {
        const QSignalBlocker block(pcList_);
        pcList_->setCurrentRow(row);
    }
    showRows(editor_.library().at(*pcRow_).events, true);
}

void MacroPageView::selectDeviceMacro(int row) {
    if (recording_ || row < 0 || static_cast<std::size_t>(row) >= editor_.deviceMacros().size()) return;
    deviceRow_ = static_cast<std::size_t>(row);
    pcRow_.reset();
    {
        const QSignalBlocker block(pcList_);
        pcList_->clearSelection();
        pcList_->setCurrentRow(-1);
    }
    showRows(editor_.deviceMacros().entries()[*deviceRow_].events, false);
}

void MacroPageView::showRows(std::span<const std::uint8_t> events, bool editable) {
    const std::vector<std::uint8_t> stream = terminatedEvents(events);
    const MacroRows built = buildMacroRows(stream);
    rows_ = built.rows;
    hex_ = stream.size() > 1 ? qs(macroHex(stream)) : QString();
    if (editable) {
        repeat_ = built.repeat;
        if (built.delayMode != DelayMode::None || !rows_.empty()) delayMode_ = built.delayMode;
        if (built.delayMode == DelayMode::Fixed) fixedDelay_ = built.fixedDelay;
        refill(delayEdit_, QString::number(fixedDelay_));
        refill(stopCountEdit_, repeat_.kind == RepeatOption::Kind::Cycles ? QString::number(repeat_.cycles)
                                                                          : QStringLiteral("1"));
    }
    fillRowList();
    updateOptionPictures();
    updateEnabled();
}

void MacroPageView::fillRowList() {
    const int keep = rowList_->currentRow();
    rowList_->clear();
    for (const MacroRow& r : rows_) {
        auto* item = new QListWidgetItem(qs(r.caption()), rowList_);
        item->setData(kKindRole, static_cast<int>(r.kind));
        item->setToolTip(qs(r.text()));
    }
    if (keep >= 0 && keep < rowList_->count()) rowList_->setCurrentRow(keep);
}

void MacroPageView::updateOptionPictures() {
    optionCaptions_[0]->setChecked(delayMode_ == DelayMode::Recorded);
    optionCaptions_[1]->setChecked(delayMode_ == DelayMode::Fixed);
    optionCaptions_[2]->setChecked(delayMode_ == DelayMode::None);
    optionCaptions_[3]->setChecked(repeat_.kind == RepeatOption::Kind::UntilReleased);
    optionCaptions_[4]->setChecked(repeat_.kind == RepeatOption::Kind::Cycles);
    for (int k = 0; k < 3; ++k)
        insertDelayCaptions_[static_cast<std::size_t>(k)]->setChecked(static_cast<int>(insertDelayMode_) ==
                                                                      k);
    const bool fixed = delayMode_ == DelayMode::Fixed && !recording_;
    delayEdit_->setReadOnly(!fixed);
    delayEdit_->setEnabled(fixed);
    stopCountEdit_->setEnabled(repeat_.kind == RepeatOption::Kind::Cycles);
}

void MacroPageView::updateEnabled() {
    const bool busy = recording_ || inserting_;
    pcList_->setEnabled(!busy);
    deviceList_->setEnabled(!busy);
    rowList_->setEnabled(!recording_ && !insertRecording_);
    button("Btn_New")->setEnabled(!busy && !editor_.library().full());
    button("btn_Delete")->setEnabled(!busy);
    button("Btn_Add_Mouse")->setEnabled(!busy);
    button("Btn_delete_mouse")->setEnabled(!busy);
    button("Btn_Start")->setEnabled(!inserting_);
    delayBox_->setEnabled(!deviceRow_);
    if (pcMenu_->actions().size() > 0) pcMenu_->actions().first()->setEnabled(!editor_.library().full());
}

void MacroPageView::shown(Page) {
    hideMenus();
    delayBox_->setVisible(!inserting_);
    insertBox_->setVisible(inserting_);
    refresh();
}

void MacroPageView::hideMenus() {
    for (QMenu* m : {pcMenu_, deviceMenu_, rowMenu_}) m->hide();
}

void MacroPageView::contextMenu(QListWidget* list, QMenu* menu, const QPoint& at) {
    QListWidgetItem* item = list->itemAt(at);
    if (item)
        list->setCurrentItem(item);
    else
        list->clearSelection();
    menu->popup(list->viewport()->mapToGlobal(at));
}

// --- library ---

void MacroPageView::libraryResult(const LibraryResult& r) {
    switch (r.kind) {
    case LibraryResult::Kind::Done:
    case LibraryResult::Kind::NoSelection:
    case LibraryResult::Kind::Full:
        break;
    case LibraryResult::Kind::Duplicate:
        context_.ui->showMessage(text("Str106").toStdString());
        break;
    case LibraryResult::Kind::TooLong:
        context_.ui->showMessage(text("Str103").toStdString());
        break;
    case LibraryResult::Kind::FileError:
        context_.ui->showMessage(r.message);
        break;
    }
}

void MacroPageView::newMacro(const QString& name) {
    hideMenus();
    if (name.trimmed().isEmpty()) return;
    const LibraryResult r = editor_.library().add(name.toStdString());
    libraryResult(r);
    if (r) {
        refresh();
        selectLibraryMacro(static_cast<int>(editor_.library().size()) - 1);
    }
}

void MacroPageView::renameMacro(const QString& name) {
    if (!pcRow_ || name.trimmed().isEmpty()) return;
    libraryResult(editor_.library().rename(*pcRow_, name.toStdString()));
    refresh();
}

void MacroPageView::deleteLibraryMacro() {
    hideMenus();
    if (!pcRow_) return;
    const std::size_t i = *pcRow_;
    libraryResult(editor_.library().remove(i));
    pcRow_.reset();
    rows_.clear();
    hex_.clear();
    fillRowList();
    refresh();
    if (editor_.library().size() > 0) selectLibraryMacro(static_cast<int>(i == 0 ? 0 : i - 1));
}

// --- the mouse ---

void MacroPageView::finish(const EditOutcome& outcome) {
    const EditOutcome done = context_.sink->apply(outcome);
    if (done.refused && done.message && !done.message->empty()) context_.ui->showMessage(*done.message);
    refresh();
}

void MacroPageView::addToMouse() {
    hideMenus();
    if (!pcRow_) {
        context_.ui->showMessage(text("Str430").toStdString());
        return;
    }
    rows_.clear();
    fillRowList();
    finish(editor_.addToMouse(*pcRow_));
    deviceList_->scrollToBottom();
    selectLibraryMacro(static_cast<int>(*pcRow_));
}

void MacroPageView::deleteDeviceMacro() {
    hideMenus();
    if (!deviceRow_) return;
    const std::size_t i = *deviceRow_;
    rows_.clear();
    fillRowList();
    deviceRow_.reset();
    finish(editor_.deleteDeviceMacro(i));
    if (editor_.deviceMacros().size() > 0) {
        const int next = static_cast<int>(i == 0 ? 0 : i - 1);
        deviceList_->setCurrentRow(next);
        selectDeviceMacro(next);
    }
}

// --- options ---

void MacroPageView::setDelayMode(DelayMode mode) {
    if (recording_) return;
    delayMode_ = mode;
    updateOptionPictures();
}

void MacroPageView::setFixedDelay(int ms) {
    fixedDelay_ = std::clamp(ms, 1, static_cast<int>(macro::kMaxDelayMs));
    refill(delayEdit_, QString::number(fixedDelay_));
}

void MacroPageView::showRepeat(RepeatOption repeat) {
    repeat_ = repeat;
    if (repeat_.kind == RepeatOption::Kind::Cycles) refill(stopCountEdit_, QString::number(repeat_.cycles));
    updateOptionPictures();
}

void MacroPageView::setRepeat(RepeatOption repeat) {
    showRepeat(repeat);
    if (!pcRow_ || recording_) return;
    const auto& events = editor_.library().at(*pcRow_).events;
    const auto applied = applyRepeatOption(events, repeat_);
    if (!applied) {
        context_.ui->showMessage(text("Str103").toStdString());
        return;
    }
    libraryResult(editor_.library().setEvents(*pcRow_, *applied));
    hex_ = qs(macroHex(*applied));
}

// --- recording ---

bool MacroPageView::overOwnButtons() const {
    const QPoint at = QCursor::pos();
    for (const char* name : {"Btn_Start", "Btn_New", "btn_Delete", "Btn_Add_Mouse", "Btn_InsertStart"}) {
        const ClickLabel* b = button(QString::fromLatin1(name));
        if (b && b->isVisible() && QRect(b->mapToGlobal(QPoint(0, 0)), b->size()).contains(at)) return true;
    }
    return false;
}

void MacroPageView::onCaptured(const InputEvent& event) {
    if (!recording_ && !insertRecording_) return;
    InputEvent e = event;
    if (!e.isKey() && e.button == InputEvent::Button::Left)
        e.onOwnControls = e.onOwnControls || overOwnButtons();
    if (recorder_.feed(e)) {
        if (insertRecording_)
            toggleInsertRecording();
        else
            stopRecording();
        return;
    }
    if (recording_) {
        rows_ = recorder_.rows();
    } else {
        std::vector<MacroRow> merged = rowsBeforeInsert_;
        merged.insert(merged.begin() + insertAt_, recorder_.rows().begin(), recorder_.rows().end());
        rows_ = merged;
    }
    fillRowList();
    rowList_->scrollToBottom();
}

void MacroPageView::toggleRecording() {
    hideMenus();
    if (recording_) {
        stopRecording();
        return;
    }
    if (!pcRow_) {
        context_.ui->showMessage(text("Str430").toStdString());
        return;
    }
    if (!capture_) capture_ = captureFactory_(captureNote_);
    rows_.clear();
    hex_.clear();
    fillRowList();
    recorder_.start(delayMode_, static_cast<std::uint16_t>(fixedDelay_));
    std::string error;
    const bool started = startCaptureFor(
        *capture_, this, [this](const InputEvent& e) { onCaptured(e); }, error);
    if (!started) {
        context_.ui->showMessage(error);
        return;
    }
    recording_ = true;
    button("Btn_Start")->setText(text("Str401"));
    updateOptionPictures();
    updateEnabled();
    rowList_->setFocus();
    refresh();
}

void MacroPageView::stopRecording() {
    if (!recording_) return;
    capture_->stop();
    recording_ = false;
    rows_ = recorder_.rows();
    button("Btn_Start")->setText(text("Str400"));
    compileAndSave();
    fillRowList();
    updateOptionPictures();
    updateEnabled();
}

void MacroPageView::compileAndSave() {
    if (!pcRow_) return;
    const auto bytes = compileMacroRows(rows_, repeat_);
    if (!bytes) {
        context_.ui->showMessage(text("Str103").toStdString());
        showRows(editor_.library().at(*pcRow_).events, true);
        return;
    }
    libraryResult(editor_.library().setEvents(*pcRow_, *bytes));
    hex_ = qs(macroHex(*bytes));
}

// --- row editing ---

void MacroPageView::deleteRow(int row) {
    hideMenus();
    if (!pcRow_ || row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    const auto gone = rowsDeletedWith(rows_, static_cast<std::size_t>(row));
    if (!gone) {
        context_.ui->showMessage("Macro Content Error");
        return;
    }
    for (auto it = gone->rbegin(); it != gone->rend(); ++it)
        rows_.erase(rows_.begin() + static_cast<long>(*it));
    compileAndSave();
    fillRowList();
    const bool pair = gone->size() == 2 && gone->back() == static_cast<std::size_t>(row);
    rowList_->setCurrentRow(std::max(0, row - (pair ? 2 : 1)));
}

void MacroPageView::replaceRow(int row, const MacroRow& with) {
    if (!pcRow_ || row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    rows_[static_cast<std::size_t>(row)] = with;
    compileAndSave();
    fillRowList();
    rowList_->setCurrentRow(row);
}

void MacroPageView::editRow(int row) {
    hideMenus();
    if (!pcRow_ || row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    const MacroRow& r = rows_[static_cast<std::size_t>(row)];
    ValueDialogView* d = nullptr;
    switch (r.kind) {
    case MacroRow::Kind::Delay:
        d = new ValueDialogView(context_.window, ValueDialogView::Mode::Delay, {text("Str521")},
                                text("Str511"), text("Str512"), language_, fontFamily_);
        d->edit()->setText(QString::number(r.delayMs));
        connect(d, &QDialog::accepted, this, [this, d, row] {
            replaceRow(row, MacroRow::delay(static_cast<std::uint16_t>(
                                clampedInt(d->edit()->text(), 1, macro::kMaxDelayMs, 1))));
        });
        break;
    case MacroRow::Kind::Move:
        d = new ValueDialogView(context_.window, ValueDialogView::Mode::Xy,
                                {text("Str522"), text("Str524"), text("Str525")}, text("Str511"),
                                text("Str512"), language_, fontFamily_);
        d->edit(0)->setText(QString::number(r.x));
        d->edit(1)->setText(QString::number(r.y));
        connect(d, &QDialog::accepted, this, [this, d, row] {
            replaceRow(row, MacroRow::move(clampedInt(d->edit(0)->text(), -128, 127, 0),
                                           clampedInt(d->edit(1)->text(), -128, 127, 0)));
        });
        break;
    case MacroRow::Kind::Press:
    case MacroRow::Kind::Release: {
        const bool press = r.kind == MacroRow::Kind::Press;
        d = new ValueDialogView(context_.window, ValueDialogView::Mode::Key, {text("Str520")}, text("Str511"),
                                text("Str512"), language_, fontFamily_, press);
        connect(d, &QDialog::accepted, this, [this, d, row, press] {
            const std::string keyText = d->key().keyText(); // "A CODE:8204"
            if (keyText.size() < 4) return;
            const auto usage =
                static_cast<std::uint8_t>(std::stoi(keyText.substr(keyText.size() - 2), nullptr, 16));
            replaceRow(row, MacroRow::keyEvent(press ? macro::kKeyDown : macro::kKeyUp, usage));
        });
        break;
    }
    }
    d->show();
}

void MacroPageView::openInsertPanel() {
    hideMenus();
    if (!pcRow_ || recording_) return;
    if (rowList_->currentRow() < 0 && !rows_.empty()) return;
    inserting_ = true;
    rowsBeforeInsert_ = rows_;
    delayBox_->hide();
    insertBox_->show();
    insertBox_->raise();
    insertCombo_->setCurrentIndex(0);
    insertItemChanged(0);
    updateEnabled();
}

void MacroPageView::insertItemChanged(int item) {
    insertItem_ = std::max(item, 0);
    const bool delay = insertItem_ <= 1, key = insertItem_ == 2 || insertItem_ == 3, xy = insertItem_ >= 4;
    insertPicture_->setPixmap(resourcePixmap(delay ? QStringLiteral("InsertDelayBase")
                                             : key ? QStringLiteral("InsertKeyBase")
                                                   : QStringLiteral("InsertXYBase")));
    insertPicture_->lower();
    insertDelay_->setVisible(delay);
    insertBox_->findChild<QLabel*>(QStringLiteral("lbl_Delay"))->setVisible(delay);
    for (QLabel* l : insertDelayPictures_) l->setVisible(key);
    for (const char* n : {"IB_InsertRecDelay", "IB_InsertDelayTime", "IB_InsertNoDelay"})
        insertBox_->findChild<QLabel*>(QString::fromLatin1(n))->setVisible(key);
    for (const char* n : {"Img_InsertStart", "Btn_InsertStart"})
        insertBox_->findChild<QLabel*>(QString::fromLatin1(n))->setVisible(key);
    for (QWidget* w :
         std::initializer_list<QWidget*>{xEdit_, yEdit_, insertBox_->findChild<QLabel*>("lbl_XAxisValue"),
                                         insertBox_->findChild<QLabel*>("lbl_YAxisValue")})
        w->setVisible(xy);
}

void MacroPageView::insertOk() {
    if (!inserting_) return;
    if (insertRecording_) toggleInsertRecording();
    const int selected = std::max(rowList_->currentRow(), 0);
    const bool back = insertItem_ % 2 == 1;
    const int at = std::min(static_cast<int>(rows_.size()), rows_.empty() ? 0 : selected + (back ? 1 : 0));
    if (insertItem_ <= 1)
        rows_.insert(rows_.begin() + at, MacroRow::delay(static_cast<std::uint16_t>(
                                             clampedInt(insertDelay_->text(), 1, macro::kMaxDelayMs, 1))));
    else if (insertItem_ >= 4)
        rows_.insert(rows_.begin() + at, MacroRow::move(clampedInt(xEdit_->text(), -128, 127, 0),
                                                        clampedInt(yEdit_->text(), -128, 127, 0)));
    const std::vector<MacroRow> before = rowsBeforeInsert_;
    compileAndSave();
    inserting_ = false;
    insertBox_->hide();
    delayBox_->show();
    fillRowList();
    updateEnabled();
    if (insertItem_ <= 1 || insertItem_ >= 4) rowList_->setCurrentRow(at);
}

void MacroPageView::insertCancel() {
    if (!inserting_) return;
    if (insertRecording_) toggleInsertRecording();
    rows_ = rowsBeforeInsert_;
    inserting_ = false;
    insertBox_->hide();
    delayBox_->show();
    fillRowList();
    updateEnabled();
}

void MacroPageView::toggleInsertRecording() {
    if (!inserting_) return;
    if (insertRecording_) {
        capture_->stop();
        insertRecording_ = false;
        std::vector<MacroRow> merged = rowsBeforeInsert_;
        merged.insert(merged.begin() + insertAt_, recorder_.rows().begin(), recorder_.rows().end());
        rows_ = merged;
        rowsBeforeInsert_ = rows_; // OK keeps them, Cancel goes back to here only from a new recording
        button("Btn_InsertStart")->setText(text("Str400"));
        fillRowList();
        updateEnabled();
        return;
    }
    if (insertItem_ != 2 && insertItem_ != 3) return;
    if (!capture_) capture_ = captureFactory_(captureNote_);
    const int selected = std::max(rowList_->currentRow(), 0);
    insertAt_ =
        std::min(static_cast<int>(rows_.size()), rows_.empty() ? 0 : selected + (insertItem_ == 3 ? 1 : 0));
    std::vector<std::uint8_t> existing;
    for (const MacroRow& r : rows_) r.appendBytes(existing);
    rowsBeforeInsert_ = rows_;
    recorder_.start(insertDelayMode_,
                    static_cast<std::uint16_t>(clampedInt(insertDelay_->text(), 1, macro::kMaxDelayMs, 1)),
                    existing.size());
    std::string error;
    QPointer<MacroPageView> self(this);
    if (!capture_->start(
            [self](const InputEvent& e) {
                if (!self) return;
                QMetaObject::invokeMethod(
                    self,
                    [self, e] {
                        if (self) self->onCaptured(e);
                    },
                    Qt::QueuedConnection);
            },
            error)) {
        context_.ui->showMessage(error);
        return;
    }
    insertRecording_ = true;
    button("Btn_InsertStart")->setText(text("Str401"));
    updateEnabled();
}

} // namespace krm::gui
