#pragma once

#include "rgb/RgbServer.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace krm::rgb {

// The server's TCP side: a listening socket and the clients' sockets, all non-blocking, feeding an
// RgbServer. It never waits: the caller watches the descriptors (poll() in krmctl, socket notifiers in
// the window) and says which are ready; a client that does not take its replies is dropped by the
// server's bound, not waited for.
class RgbSockets {
public:
    RgbSockets(RgbServer& server, RgbServer::Log log) : server_(server), log_(std::move(log)) {}
    ~RgbSockets();
    RgbSockets(const RgbSockets&) = delete;
    RgbSockets& operator=(const RgbSockets&) = delete;

    // Listens on `address` (an IPv4 or IPv6 address, or "localhost") and `port` (0: one the system
    // picks). False, with `error` set, when it cannot.
    bool listen(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t port() const { return port_; }

    struct Watch {
        int fd = -1;
        bool write = false; // also wait until it takes more bytes
    };
    // What to wait for: the listening socket and every client (for writing too while replies wait).
    std::vector<Watch> watches() const;
    // A descriptor is ready: new clients are accepted, bytes read (a bounded amount each time) and
    // handed to the server, replies sent.
    void ready(int fd, bool readable, bool writable);
    // poll() over watches() for at most `timeoutMs`, then ready() for what is ready (krmctl's loop).
    void pollOnce(int timeoutMs);
    // Sends what waits for every client and closes the connections the server dropped; call it after
    // the server's run().
    void flush();

private:
    void accept();
    void read(int fd, RgbServer::ConnectionId id);
    void send(int fd, RgbServer::ConnectionId id);
    void close(int fd);
    void closeDropped();

    RgbServer& server_;
    RgbServer::Log log_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::map<int, RgbServer::ConnectionId> clients_; // by descriptor
};

} // namespace krm::rgb
