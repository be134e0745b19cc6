#include "app/gui/CompanionControls.h"

#include "widgets/SkinWidgets.h"

#include <QAction>
#include <QCoreApplication>
#include <QSignalBlocker>

namespace krm::gui {

namespace {

// The user's own places for the files not given.
CompanionControls::Files withDefaults(CompanionControls::Files files) {
    if (files.rules.empty()) files.rules = RulesFile::defaultPath();
    if (files.settings.empty()) files.settings = CompanionSettings::defaultPath();
    if (files.autostart.empty()) files.autostart = autostart::entryPath();
    return files;
}

} // namespace

CompanionControls::CompanionControls(Files files, QObject* parent)
    : QObject(parent), files_(withDefaults(std::move(files))),
      settings_(CompanionSettings::load(files_.settings)), rules_(files_.rules),
      rulesAction_(new QAction(this)), noticesAction_(new QAction(this)), autostartAction_(new QAction(this)),
      rgbAction_(new QAction(this)) {
    programs_.running = [this] { return processes_.programs(); };
    rulesAction_->setObjectName(QStringLiteral("act_GameProfiles"));
    noticesAction_->setObjectName(QStringLiteral("act_Notices"));
    autostartAction_->setObjectName(QStringLiteral("act_Autostart"));
    rgbAction_->setObjectName(QStringLiteral("act_ServeRgb"));
    connect(rulesAction_, &QAction::triggered, this, &CompanionControls::rulesAsked);
    noticesAction_->setCheckable(true);
    connect(noticesAction_, &QAction::toggled, this, &CompanionControls::setNotices);
    autostartAction_->setCheckable(true);
    connect(autostartAction_, &QAction::toggled, this, &CompanionControls::setAutostart);
    rgbAction_->setCheckable(true);
    connect(rgbAction_, &QAction::toggled, this, &CompanionControls::setRgbServing);
}

CompanionControls::~CompanionControls() {
    delete rulesDialog_; // a dialog opened from the tray has no parent
}

void CompanionControls::refresh(const TextSource& texts) {
    rulesAction_->setText(QString::fromStdString(texts.text("Str901")));
    noticesAction_->setText(QString::fromStdString(texts.text("Str902")));
    autostartAction_->setText(QString::fromStdString(texts.text("Str903")));
    rgbAction_->setText(QString::fromStdString(texts.text("Str946")));
    const QSignalBlocker noticesQuiet(noticesAction_), autostartQuiet(autostartAction_), rgbQuiet(rgbAction_);
    noticesAction_->setChecked(settings_.notices);
    rgbAction_->setChecked(settings_.serveRgb);
    autostartAction_->setChecked(autostart::enabled(files_.autostart, autostart::systemEntryPath()));
}

void CompanionControls::setNotices(bool on) {
    settings_.notices = on;
    if (const auto failed = settings_.save(files_.settings))
        emit problem(QString::fromStdString(failed->message));
    emit noticesChanged(on);
}

void CompanionControls::setRgbServing(bool on) {
    settings_.serveRgb = on;
    if (const auto failed = settings_.save(files_.settings))
        emit problem(QString::fromStdString(failed->message));
    emit rgbServingChanged(on);
}

void CompanionControls::setAutostart(bool on) {
    const auto failed = autostart::set(on, files_.autostart, autostart::systemEntryPath(),
                                       QCoreApplication::applicationFilePath().toStdString());
    if (failed) emit problem(QString::fromStdString(failed->message));
    const QSignalBlocker quiet(autostartAction_);
    autostartAction_->setChecked(autostart::enabled(files_.autostart, autostart::systemEntryPath()));
}

ProfileRulesDialog* CompanionControls::rulesDialog(QWidget* window, const DialogLook& look) {
    // A dialog of another window, look or language is made anew where it is asked for.
    if (rulesDialog_ &&
        (rulesDialog_->parentWidget() != window || rulesDialog_->windowTitle() != look.text("Str905") ||
         (look.layout && rulesDialog_->panelColour() != toQColor(look.layout->colour("Color_G_Back")))))
        delete rulesDialog_;
    if (!rulesDialog_) {
        rulesDialog_ = new ProfileRulesDialog(rules_, look, programs_, window);
        rulesDialog_->setAttribute(Qt::WA_DeleteOnClose);
        connect(rulesDialog_, &ProfileRulesDialog::rulesChanged, this, &CompanionControls::rulesChanged);
    }
    return rulesDialog_;
}

void CompanionControls::showRules(QWidget* window, const DialogLook& look) {
    rulesDialog(window, look);
    rulesDialog_->show();
    rulesDialog_->raise();
    rulesDialog_->activateWindow();
}

} // namespace krm::gui
