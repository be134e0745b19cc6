#pragma once

#include "app/gui/CompanionControls.h"
#include "app/gui/DesktopNotices.h"
#include "companion/Processes.h"
#include "companion/ProfileWatcher.h"
#include "companion/SessionProfiles.h"
#include "session/Session.h"

#include <QAction>
#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QActionGroup;
class QMenu;
class QSocketNotifier;
class QSystemTrayIcon;

namespace krm {
class Clock;
class HidBackend;
} // namespace krm

namespace krm::gui {

class MainWindow;
class ProfileRulesDialog;
class QtUiPort;
class RgbHost;
class SingleInstance;

// krmconfig --background: one process that keeps the mouse in view without a window. It polls for the
// mouse and reads its button events as the window does, shows a desktop notice when the mouse's own
// buttons switch the DPI level or the profile, runs the per-game watcher, and puts an icon in the
// desktop's tray (profiles, DPI levels, settings, Open, Quit). The window is built when first opened;
// closing it while the tray icon is there only hides it.
class Companion : public QObject, public SessionObserver {
    Q_OBJECT
public:
    // Where the companion keeps its files (empty: the user's own places).
    using Files = CompanionControls::Files;

    // `source`: what the watcher looks at (nothing: this session's, see makeProgramSource).
    Companion(Session& session, QtUiPort& ui, Clock& clock, const QDBusConnection& bus, Files files = {},
              std::unique_ptr<ProgramSource> source = nullptr);
    ~Companion() override;

    // Starts the presence poll, the button events and the watcher, and the tray icon when the desktop
    // has a tray. False when it has none (the rest runs all the same).
    bool start();
    // Builds the window the first time, then shows and raises it.
    void openWindow();
    // Called once the window is built (the owner of the mice gives it their chooser).
    std::function<void(MainWindow&)> windowBuilt;
    void quit();

    MainWindow* window() const { return window_.get(); }
    QSystemTrayIcon* tray() const { return tray_; }
    QMenu* menu() const { return menu_.get(); }
    DesktopNotices& notices() { return notices_; }
    ProfileWatcher& watcher() { return watcher_; }
    // The rules dialog, over the window while it shows (created hidden when none is open).
    ProfileRulesDialog* rulesDialog();
    CompanionControls& controls() { return controls_; }
    RgbHost* rgbServer() const { return rgb_.get(); }
    // The last program other than this one that had the focus (X11 only).
    std::optional<ProgramInfo> lastFocused() const { return lastFocused_; }
    // The watcher's due work, now (its timer runs it on the clock's time).
    void runWatcher();
    // Re-reads the source's events (its descriptor turned readable).
    void takeSourceEvents();
    // Fills the tray menu from the mouse's state.
    void refreshMenu();

    // SessionObserver
    void imageRead() override { refreshMenu(); }
    void pagesReset() override { refreshMenu(); }
    void editorsReloaded() override { refreshMenu(); }
    void profileSelected(int profile) override;
    void profileChangedByMouse(int profile) override;
    void dpiLevelChangedByMouse(int level) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Device work (the watcher, the presence poll, the tray's switches) waits while the core is in the
    // middle of its own.
    bool busy() const;
    void pollPresence();
    void scheduleWatcher();
    void buildMenu();
    void setRgbServing(bool on);
    void showRules();
    // Where the rules dialog opens and in which look: over the window while it shows, else on its own
    // in the look of the session's language.
    QWidget* rulesParent() const;
    DialogLook look();
    void say(const QString& text);

    Session& session_;
    QtUiPort& ui_;
    Clock& clock_;
    CompanionControls controls_;
    DesktopNotices notices_;
    ProcessTable processes_;
    std::string sourceWhy_;
    std::unique_ptr<ProgramSource> source_;
    SessionProfileSwitch mouse_;
    ProfileWatcher watcher_;
    WatcherSessionLink link_;
    std::optional<ProgramInfo> lastFocused_;

    QTimer presenceTimer_, watchTimer_;
    std::unique_ptr<QSocketNotifier> sourceNotifier_, rulesNotifier_;
    std::unique_ptr<MainWindow> window_;
    SkinLayout trayLook_; // the look of the dialogs and menus while no window shows
    int trayLookLanguage_ = 0;
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<QMenu> menu_;
    QActionGroup* profileGroup_ = nullptr;
    QActionGroup* dpiGroup_ = nullptr;
    std::array<QAction*, 3> profileActions_{};
    std::array<QAction*, 8> dpiActions_{};
    QAction* noMouse_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* quitAction_ = nullptr;
    std::unique_ptr<RgbHost> rgb_; // the RGB-sync server, while it is turned on
    bool quitting_ = false;
    bool closeSaid_ = false;
};

// krmconfig --background after the toolkit and the session are up: runs until Quit, a signal or the end
// of the session. A later start (the single-instance socket) opens the window.
int runInBackground(Session& session, QtUiPort& ui, SingleInstance& instance, Clock& clock, HidBackend& hid);

} // namespace krm::gui
