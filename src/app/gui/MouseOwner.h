#pragma once

#include "app/gui/BusService.h"
#include "app/gui/QtUiPort.h"
#include "session/Session.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace krm {
class Clock;
class HidBackend;
} // namespace krm

namespace krm::gui {

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
    BusService* bus() const { return bus_.get(); }

    // How often the other mice are looked for: as often as the window's presence poll.
    static constexpr int kScanMs = DevicePresence::kPollIntervalMs;

private:
    bool busy() const;
    void publish();

    Session& primary_;
    QtUiPort& ui_;
    Clock& clock_;
    HidBackend& hid_;
    QtUiPort quietUi_; // the other sessions' port: no window
    std::vector<std::unique_ptr<Session>> others_;
    std::unique_ptr<BusService> bus_;
    QTimer scan_;
};

} // namespace krm::gui
