#pragma once

#include "app/gui/BusService.h"
#include "app/gui/MouseChooser.h"
#include "app/gui/QtUiPort.h"
#include "session/Session.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

namespace krm {
class Clock;
class HidBackend;
} // namespace krm

namespace krm::gui {

class MainWindow;

// This program as the owner of the mice it holds: the window's session (the mouse the window shows)
// and a session of its own for every other attached mouse that no other program holds, all served on
// the session bus (BusService). The other sessions show no window: their messages go to the log.
class MouseOwner : public QObject {
    Q_OBJECT
public:
    MouseOwner(Session& primary, QtUiPort& ui, Clock& clock, HidBackend& hid);
    ~MouseOwner() override;

    // Serves the mice on the bus and starts looking for more of them; what keeps the bus from being
    // served is said on standard error (the program runs on without it).
    void start(const QDBusConnection& bus = QDBusConnection::sessionBus());
    // Every session with a mouse, the window's first.
    std::vector<Session*> sessions() const;
    // Looks for attached mice no session holds, and lets go of those gone (every presence poll).
    void scan();
    // The window gets the chooser of the mouse it shows (shown while more than one is attached).
    void attachWindow(MainWindow& window);
    // The window shows mouse `id` from now on (the chooser's choice): the session that held it lets it
    // go, the window's session opens and reads it, and its former mouse gets a session of its own.
    void showInWindow(const std::string& id);
    MouseChooser* chooser() const { return chooser_; }
    BusService* bus() const { return bus_.get(); }

    // How often the other mice are looked for: as often as the window's presence poll.
    static constexpr int kScanMs = DevicePresence::kPollIntervalMs;

private:
    bool busy() const;
    // Serves the sessions as they are now, then lets the sessions in `leaving` go (after the bus let go
    // of them).
    void publish(std::vector<std::unique_ptr<Session>> leaving = {});

    Session& primary_;
    QtUiPort& ui_;
    Clock& clock_;
    HidBackend& hid_;
    QtUiPort quietUi_; // the other sessions' port: no window
    std::vector<std::unique_ptr<Session>> others_;
    std::unique_ptr<BusService> bus_;
    QPointer<MouseChooser> chooser_;
    QTimer scan_;
};

} // namespace krm::gui
