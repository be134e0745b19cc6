#pragma once

#include "app/gui/ProfileRulesDialog.h"
#include "base/TextSource.h"
#include "companion/CompanionSettings.h"
#include "companion/Processes.h"
#include "companion/ProfileRules.h"

#include <QObject>
#include <QPointer>

#include <string>

class QAction;

namespace krm::gui {

// The companion's settings where the user finds them, in the window's menu and in the tray's: "Game
// profiles..." opens the rules dialog, "Show notices of the mouse's buttons", "Start with the desktop" and
// "Serve the lighting to RGB programs" are switched on and off and kept in their files. One QAction each,
// which both menus share, captioned in the active language.
class CompanionControls : public QObject {
    Q_OBJECT
public:
    // Where the companion keeps its files (empty: the user's own places).
    struct Files {
        std::string rules;
        std::string settings;
        std::string autostart;
    };

    explicit CompanionControls(Files files = {}, QObject* parent = nullptr);
    ~CompanionControls() override;

    const Files& files() const { return files_; }
    RulesFile& rules() { return rules_; }
    bool noticesOn() const { return settings_.notices; }
    const CompanionSettings& settings() const { return settings_; }
    // Where the rules dialog finds the programs it offers: unless told, the running ones and no focused
    // one.
    void setPrograms(ProfileRulesDialog::Programs programs) { programs_ = std::move(programs); }

    QAction* rulesAction() const { return rulesAction_; }
    QAction* noticesAction() const { return noticesAction_; }
    QAction* autostartAction() const { return autostartAction_; }
    QAction* rgbAction() const { return rgbAction_; }
    // The captions in the active language, the ticks as the files say.
    void refresh(const TextSource& texts);

    // The rules dialog over `window` in its look and language: the one open, or a new one (hidden).
    ProfileRulesDialog* rulesDialog(QWidget* window, const DialogLook& look);
    // Opens it (or raises the one open).
    void showRules(QWidget* window, const DialogLook& look);
    ProfileRulesDialog* openRulesDialog() const { return rulesDialog_; }

signals:
    void noticesChanged(bool on);
    // The RGB-sync server was turned on or off (and kept so in the settings file).
    void rgbServingChanged(bool on);
    // The rules dialog wrote the rules file.
    void rulesChanged();
    // A file could not be written: what the user is told.
    void problem(const QString& message);
    // "Game profiles..." was chosen: the owner decides over which window it opens.
    void rulesAsked();

private:
    void setNotices(bool on);
    void setAutostart(bool on);
    void setRgbServing(bool on);

    Files files_;
    CompanionSettings settings_;
    RulesFile rules_;
    ProcessTable processes_;
    ProfileRulesDialog::Programs programs_;
    QAction* rulesAction_;
    QAction* noticesAction_;
    QAction* autostartAction_;
    QAction* rgbAction_;
    QPointer<ProfileRulesDialog> rulesDialog_;
};

} // namespace krm::gui
