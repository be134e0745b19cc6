#pragma once

#include "rgb/RgbSockets.h"

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace krm::gui {

class QtUiPort;

// The RGB-sync server in the window's event loop: socket notifiers hand the ready sockets over, a timer
// runs the server when its writes are due, and the writes wait while other device work lets events run
// (a write of the window's own, a presence poll, a refill from an image). Nothing here blocks.
class RgbHost : public QObject {
    Q_OBJECT
public:
    RgbHost(Session& session, QtUiPort& ui, Clock& clock);
    ~RgbHost() override;

    // Listens on `address` and `port`; false, with the reason logged, when it cannot.
    bool start(const std::string& address, int port);
    void stop();
    bool serving() const { return sockets_ != nullptr; }
    // The port listened on (the system's choice when started with 0).
    int port() const { return sockets_ ? sockets_->port() : 0; }

private:
    void ready(int fd, bool readable, bool writable);
    void runServer();
    // Notifiers for what the sockets watch now, the timer for the server's next due time.
    void sync();
    bool busy() const;

    Session& session_;
    QtUiPort& ui_;
    Clock& clock_;
    std::unique_ptr<rgb::SessionMice> mice_;
    std::unique_ptr<rgb::RgbServer> server_;
    std::unique_ptr<rgb::RgbSockets> sockets_;
    std::map<int, QSocketNotifier*> readers_, writers_;
    QTimer timer_;
};

// The server as companion.ini asks for it (at `settingsPath`, empty: the user's own): a host that
// serves when it is turned on there, nothing when it is off.
std::unique_ptr<RgbHost> serveRgbIfTurnedOn(Session& session, QtUiPort& ui, Clock& clock,
                                            const std::string& settingsPath = {});

} // namespace krm::gui
