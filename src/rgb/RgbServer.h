#pragma once

#include "device/Clock.h"
#include "rgb/RgbMice.h"
#include "rgb/RgbMouse.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm::rgb {

// The RGB-sync server without its sockets: connections are numbers, bytes come in through received()
// and wait in output() until the socket side has sent them. Requests are answered from the lighting
// editor; writes become the lighting page's editor actions, handed to Session::apply by run(), never
// while a client's bytes are being read.
//
// Writes the mouse can bear: every colour is stored by the mouse (four reports, each with the device
// link's settle time), so colour updates are coalesced: the last one wins, a mouse gets at most one
// colour write per colour interval, and none when it holds that colour already. A mode change (with
// its speed, brightness and colours) is carried out as soon as the mouse may be written; changes that
// arrive meanwhile replace it.
class RgbServer {
public:
    using ConnectionId = int;
    using Log = std::function<void(const std::string&)>;

    struct Limits {
        std::size_t clients = 4;               // more are turned away
        std::size_t pendingOutput = 64 * 1024; // replies a client has not taken; past this it is dropped
        std::uint64_t partialPacketMs = 2000;  // a packet begun must be whole within this
        std::uint64_t colourIntervalMs = 1000; // at most one colour write per mouse in this time
        std::uint64_t holdOffMs = 10000;       // nothing is written to a mouse this long after a failure
    };

    RgbServer(RgbMice& mice, Clock& clock, Log log, Limits limits);
    RgbServer(RgbMice& mice, Clock& clock, Log log) : RgbServer(mice, clock, std::move(log), Limits{}) {}
    ~RgbServer();
    RgbServer(const RgbServer&) = delete;
    RgbServer& operator=(const RgbServer&) = delete;

    const Limits& limits() const { return limits_; }

    // A client connected from `peer` ("127.0.0.1:40312"); nothing when the server is full (logged).
    std::optional<ConnectionId> connect(const std::string& peer);
    void received(ConnectionId id, std::span<const std::uint8_t> bytes);
    // What waits to be sent to the client; sent() takes the first n bytes off.
    std::span<const std::uint8_t> output(ConnectionId id) const;
    void sent(ConnectionId id, std::size_t n);
    // The client closed its end.
    void disconnected(ConnectionId id);
    // The connections the server dropped since the last call, each with one log line: close them.
    std::vector<ConnectionId> takeDropped();
    std::vector<ConnectionId> connections() const;

    // The mice changed (RgbMice::changed): every client is told to fetch the list again.
    void miceChanged();
    // Carries out the writes that are due and drops the connections whose packet did not come whole in
    // time. Call it after received() and at nextDueMs(), whenever the mice may be written.
    void run();
    // When run() has something to do next (clock milliseconds), or nothing.
    std::optional<std::uint64_t> nextDueMs() const;

private:
    struct Connection {
        std::string peer;
        std::string name; // what the client calls itself
        std::vector<std::uint8_t> in, out;
        std::uint32_t version = 0; // agreed; 0 until the client asks
        std::optional<std::uint64_t> partialSinceMs;
        bool resizeSaid = false;
    };
    struct MouseState {
        LightingWish modeWish;        // the latest mode change not carried out yet
        std::optional<Rgb> ledColour; // the latest LED colour not written yet
        std::optional<std::uint64_t> lastColourMs;
        std::uint64_t holdUntilMs = 0;
    };

    // One whole packet; false when the connection was dropped for it.
    bool handle(ConnectionId id, Connection& c, const Header& h, std::span<const std::uint8_t> payload);
    bool reply(ConnectionId id, Connection& c, std::vector<std::uint8_t> bytes);
    void drop(ConnectionId id, const std::string& why);
    std::string who(const Connection& c) const;
    void tellEveryClient();
    // One mouse's due writes; true when something reached it.
    bool writeDue(Session& session, MouseState& state, std::uint64_t now);
    void failed(Session& session, MouseState& state, const WishFailure& failure, std::uint64_t now);

    RgbMice& mice_;
    Clock& clock_;
    Log log_;
    Limits limits_;
    std::map<ConnectionId, Connection> connections_;
    std::vector<ConnectionId> dropped_;
    std::map<Session*, MouseState> mouseStates_;
    ConnectionId next_ = 1;
    bool running_ = false;
};

} // namespace krm::rgb
