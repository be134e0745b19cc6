#include "app/gui/ProfileRulesDialog.h"

#include "companion/SessionProfiles.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace krm::gui {

namespace {

// The prompt for a program: the running programs offered in a list, any name or pattern typed in it.
class ProgramPrompt : public LookDialog {
public:
    ProgramPrompt(QWidget* parent, const DialogLook& look, const QString& title, const QStringList& running)
        : LookDialog(parent, look, title) {
        setObjectName(QStringLiteral("dlgProgram"));
        auto* question = new QLabel(look.text("Str917"), this);
        question->setWordWrap(true);
        body()->addWidget(question);
        box_ = new QComboBox(this);
        box_->setObjectName(QStringLiteral("cb_Program"));
        box_->setEditable(true);
        box_->setInsertPolicy(QComboBox::NoInsert);
        box_->addItems(running);
        box_->setCurrentIndex(-1);
        box_->setMinimumWidth(360);
        question->setBuddy(box_);
        body()->addWidget(box_);
        connect(addButton("Btn_OK", look.text("Str420")), &ImageButton::clicked, this, &QDialog::accept);
        connect(addButton("Btn_Cancel", look.text("Str422")), &ImageButton::clicked, this, &QDialog::reject);
        box_->setFocus();
    }
    QString answer() const { return box_->currentText().trimmed(); }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return accept();
        QDialog::keyPressEvent(e);
    }

private:
    QComboBox* box_;
};

} // namespace

ProfileRulesDialog::ProfileRulesDialog(RulesFile& file, const DialogLook& look, Programs programs,
                                       QWidget* parent)
    : LookDialog(parent, look, look.text("Str905")), file_(file), programs_(std::move(programs)) {
    setObjectName(QStringLiteral("dlgGameProfiles"));
    auto* intro = new QLabel(look.text("Str906"), this);
    intro->setWordWrap(true);
    body()->addWidget(intro);

    // The rules file's path on one line: read-only, scrolled with the cursor, copied with the keyboard.
    auto* pathRow = new QHBoxLayout;
    auto* pathLabel = new QLabel(look.text("Str907"), this);
    path_ = new QLineEdit(QString::fromStdString(file_.path()), this);
    path_->setObjectName(QStringLiteral("Edt_RulesFile"));
    path_->setReadOnly(true);
    path_->setCursorPosition(0);
    path_->setToolTip(path_->text());
    pathLabel->setBuddy(path_);
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(path_, 1);
    body()->addLayout(pathRow);

    auto* defaultRow = new QHBoxLayout;
    auto* defaultLabel = new QLabel(look.text("Str908"), this);
    defaultBox_ = profileBox(1);
    defaultBox_->setObjectName(QStringLiteral("cb_DefaultProfile"));
    defaultLabel->setBuddy(defaultBox_);
    defaultRow->addWidget(defaultLabel);
    defaultRow->addWidget(defaultBox_, 1);
    body()->addLayout(defaultRow);
    connect(defaultBox_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_) setDefaultProfile(i + 1);
    });

    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(QStringLiteral("tbl_Rules"));
    table_->setHorizontalHeaderLabels({look.text("Str909"), look.text("Str910")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAccessibleName(look.text("Str921"));
    body()->addWidget(table_, 1);

    problems_ = new QLabel(this);
    problems_->setObjectName(QStringLiteral("lbl_Problems"));
    problems_->setWordWrap(true);
    body()->addWidget(problems_);

    ImageButton* add = addButton("Btn_Add", look.text("Str911"));
    addMenu_ = new QMenu(add);
    connect(add, &ImageButton::clicked, this,
            [this, add] { addMenu_->popup(add->mapToGlobal(QPoint(0, add->height()))); });
    connect(addMenu_, &QMenu::aboutToShow, this, [this] {
        addMenu_->clear();
        const auto focused = programs_.focused ? programs_.focused() : std::nullopt;
        QAction* a = addMenu_->addAction(
            focused ? this->look().text("Str914").arg(QString::fromStdString(patternFor(*focused)))
                    : this->look().text("Str915"));
        a->setEnabled(focused.has_value());
        connect(a, &QAction::triggered, this, &ProfileRulesDialog::addFocusedProgram);
        connect(addMenu_->addAction(this->look().text("Str916")), &QAction::triggered, this,
                &ProfileRulesDialog::chooseProgram);
    });
    remove_ = addButton("Btn_Remove", look.text("Str912"));
    connect(remove_, &ImageButton::clicked, this, &ProfileRulesDialog::removeSelected);
    connect(addButton("Btn_Close", look.text("Str913")), &ImageButton::clicked, this, &QDialog::reject);
    resize(600, 440);
    reload();
    table_->setFocus();
}

QComboBox* ProfileRulesDialog::profileBox(int profile) {
    auto* box = new QComboBox(this);
    for (int p = 1; p <= ProfileRules::kProfiles; ++p)
        box->addItem(
            QStringLiteral("%1  %2").arg(p).arg(QString::fromStdString(profileName(*look().texts, p))));
    box->setCurrentIndex(profile - 1);
    return box;
}

void ProfileRulesDialog::showEvent(QShowEvent* e) {
    reload();
    LookDialog::showEvent(e);
}

void ProfileRulesDialog::reload() {
    file_.refresh();
    const ProfileRules& rules = file_.rules();
    filling_ = true;
    defaultBox_->setCurrentIndex(rules.defaultProfile() - 1);
    table_->setRowCount(static_cast<int>(rules.rules().size()));
    // The profile column as wide as its widest box and its heading, whatever the rows were before.
    const QString heading =
        table_->horizontalHeaderItem(1) ? table_->horizontalHeaderItem(1)->text() : QString();
    int profileWidth = table_->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + 24;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ProfileRule& rule = rules.rules()[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rule.pattern)));
        QComboBox* box = profileBox(rule.profile);
        box->setAccessibleName(look().text("Str920").arg(QString::fromStdString(rule.pattern)));
        connect(box, &QComboBox::currentIndexChanged, this, [this, row](int i) {
            if (!filling_) setRuleProfile(row, i + 1);
        });
        table_->setCellWidget(row, 1, box);
        profileWidth = std::max(profileWidth, box->sizeHint().width());
    }
    table_->horizontalHeader()->resizeSection(1, profileWidth);
    filling_ = false;
    QStringList lines;
    if (!file_.error().empty()) lines << QString::fromStdString(file_.error());
    for (const auto& p : rules.problems()) lines << QString::fromStdString(p);
    problems_->setText(lines.isEmpty() ? QString()
                                       : look().text("Str919").arg(lines.join(QStringLiteral("; "))));
    remove_->setEnabled(table_->rowCount() > 0);
}

void ProfileRulesDialog::warn(const QString& text) {
    MessageBox::show(this, text, look().fontFamily);
}

bool ProfileRulesDialog::save(ProfileRules rules) {
    const auto failed = file_.save(rules);
    if (failed) warn(QString::fromStdString(failed->message));
    // Queued: the profile box that asked for this change is among the widgets the rows are made anew of.
    QMetaObject::invokeMethod(this, &ProfileRulesDialog::reload, Qt::QueuedConnection);
    if (!failed) emit rulesChanged();
    return !failed;
}

void ProfileRulesDialog::addRule(const QString& pattern, int profile) {
    ProfileRules rules = file_.rules();
    if (!rules.add({pattern.toStdString(), profile})) {
        warn(look().text("Str918").arg(pattern));
        return;
    }
    save(std::move(rules));
}

void ProfileRulesDialog::addFocusedProgram() {
    if (const auto focused = programs_.focused ? programs_.focused() : std::nullopt)
        addRule(QString::fromStdString(patternFor(*focused)));
}

void ProfileRulesDialog::chooseProgram() {
    std::set<QString> names;
    if (programs_.running)
        for (const auto& p : programs_.running()) names.insert(QString::fromStdString(patternFor(p)));
    auto* prompt = new ProgramPrompt(this, look(), windowTitle(), QStringList(names.begin(), names.end()));
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    prompt_ = prompt;
    connect(prompt, &QDialog::accepted, this, [this, prompt] {
        if (!prompt->answer().isEmpty()) addRule(prompt->answer());
    });
    // Modal to this dialog, without a loop of its own: the rest of the program runs on meanwhile.
    prompt->open();
}

void ProfileRulesDialog::removeSelected() {
    const int row = table_->currentRow();
    ProfileRules rules = file_.rules();
    if (row < 0 || !rules.remove(static_cast<std::size_t>(row))) return;
    save(std::move(rules));
}

void ProfileRulesDialog::setRuleProfile(int row, int profile) {
    ProfileRules rules = file_.rules();
    if (row >= 0 && rules.setProfile(static_cast<std::size_t>(row), profile)) save(std::move(rules));
}

void ProfileRulesDialog::setDefaultProfile(int profile) {
    ProfileRules rules = file_.rules();
    if (rules.setDefault(profile)) save(std::move(rules));
}

} // namespace krm::gui
