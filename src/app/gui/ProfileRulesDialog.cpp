#include "app/gui/ProfileRulesDialog.h"

#include "companion/SessionProfiles.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <set>

namespace krm::gui {

ProfileRulesDialog::ProfileRulesDialog(RulesFile& file, const TextSource& texts, Programs programs,
                                       QWidget* parent)
    : QDialog(parent), file_(file), texts_(texts), programs_(std::move(programs)) {
    setWindowTitle(tr("Game profiles"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("The mouse takes a program's profile while the program has the focus (on "
                                "Wayland: while it runs), and the default profile otherwise. Rules are "
                                "kept in %1.")
                                 .arg(QString::fromStdString(file_.path())),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* defaultRow = new QHBoxLayout;
    auto* defaultLabel = new QLabel(tr("Default profile:"), this);
    defaultBox_ = profileBox(1);
    defaultLabel->setBuddy(defaultBox_);
    defaultRow->addWidget(defaultLabel);
    defaultRow->addWidget(defaultBox_, 1);
    layout->addLayout(defaultRow);
    connect(defaultBox_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_) setDefaultProfile(i + 1);
    });

    table_ = new QTableWidget(0, 2, this);
    table_->setHorizontalHeaderLabels({tr("Program (name or path pattern)"), tr("Profile")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAccessibleName(tr("Rules"));
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    auto* add = new QToolButton(this);
    add->setText(tr("Add"));
    add->setPopupMode(QToolButton::InstantPopup);
    addMenu_ = new QMenu(add);
    add->setMenu(addMenu_);
    connect(addMenu_, &QMenu::aboutToShow, this, [this] {
        addMenu_->clear();
        const auto focused = programs_.focused ? programs_.focused() : std::nullopt;
        QAction* a = addMenu_->addAction(
            focused
                ? tr("The program that had the focus: %1").arg(QString::fromStdString(patternFor(*focused)))
                : tr("The program that had the focus (none known)"));
        a->setEnabled(focused.has_value());
        connect(a, &QAction::triggered, this, &ProfileRulesDialog::addFocusedProgram);
        connect(addMenu_->addAction(tr("A running program...")), &QAction::triggered, this,
                &ProfileRulesDialog::chooseRunningProgram);
        connect(addMenu_->addAction(tr("A name or path pattern...")), &QAction::triggered, this,
                &ProfileRulesDialog::typePattern);
    });
    remove_ = new QPushButton(tr("Remove"), this);
    connect(remove_, &QPushButton::clicked, this, &ProfileRulesDialog::removeSelected);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->addWidget(add);
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    problems_ = new QLabel(this);
    problems_->setWordWrap(true);
    layout->addWidget(problems_);
    resize(520, 360);
    reload();
}

QComboBox* ProfileRulesDialog::profileBox(int profile) {
    auto* box = new QComboBox(this);
    for (int p = 1; p <= ProfileRules::kProfiles; ++p)
        box->addItem(QStringLiteral("%1  %2").arg(p).arg(QString::fromStdString(profileName(texts_, p))));
    box->setCurrentIndex(profile - 1);
    return box;
}

void ProfileRulesDialog::showEvent(QShowEvent* e) {
    reload();
    QDialog::showEvent(e);
}

void ProfileRulesDialog::reload() {
    file_.refresh();
    const ProfileRules& rules = file_.rules();
    filling_ = true;
    defaultBox_->setCurrentIndex(rules.defaultProfile() - 1);
    table_->setRowCount(static_cast<int>(rules.rules().size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ProfileRule& rule = rules.rules()[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rule.pattern)));
        QComboBox* box = profileBox(rule.profile);
        box->setAccessibleName(tr("Profile for %1").arg(QString::fromStdString(rule.pattern)));
        connect(box, &QComboBox::currentIndexChanged, this, [this, row](int i) {
            if (!filling_) setRuleProfile(row, i + 1);
        });
        table_->setCellWidget(row, 1, box);
    }
    filling_ = false;
    QStringList lines;
    if (!file_.error().empty()) lines << QString::fromStdString(file_.error());
    for (const auto& p : rules.problems()) lines << QString::fromStdString(p);
    problems_->setText(
        lines.isEmpty() ? QString() : tr("Lines left as they are: %1").arg(lines.join(QStringLiteral("; "))));
    remove_->setEnabled(table_->rowCount() > 0);
}

bool ProfileRulesDialog::save(ProfileRules rules) {
    const auto failed = file_.save(rules);
    if (failed) QMessageBox::warning(this, windowTitle(), QString::fromStdString(failed->message));
    // Queued: the profile box that asked for this change is among the widgets the rows are made anew of.
    QMetaObject::invokeMethod(this, &ProfileRulesDialog::reload, Qt::QueuedConnection);
    if (!failed) emit rulesChanged();
    return !failed;
}

void ProfileRulesDialog::addRule(const QString& pattern, int profile) {
    ProfileRules rules = file_.rules();
    if (!rules.add({pattern.toStdString(), profile})) {
        QMessageBox::warning(this, windowTitle(),
                             tr("\"%1\" cannot be a rule: a rule is one line that does not start with '[', "
                                "'#' or ';'.")
                                 .arg(pattern));
        return;
    }
    save(std::move(rules));
}

void ProfileRulesDialog::addFocusedProgram() {
    if (const auto focused = programs_.focused ? programs_.focused() : std::nullopt)
        addRule(QString::fromStdString(patternFor(*focused)));
}

void ProfileRulesDialog::chooseRunningProgram() {
    std::set<QString> names;
    if (programs_.running)
        for (const auto& p : programs_.running()) names.insert(QString::fromStdString(patternFor(p)));
    bool ok = false;
    const QString name = QInputDialog::getItem(this, windowTitle(), tr("Running program:"),
                                               QStringList(names.begin(), names.end()), 0, false, &ok);
    if (ok && !name.isEmpty()) addRule(name);
}

void ProfileRulesDialog::typePattern() {
    bool ok = false;
    const QString pattern = QInputDialog::getText(
        this, windowTitle(),
        tr("A program's file name (e.g. Game.exe) or, with a '/', a path pattern (* and ?):"),
        QLineEdit::Normal, QString(), &ok);
    if (ok && !pattern.trimmed().isEmpty()) addRule(pattern.trimmed());
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
