#include "rgb/RgbSockets.h"
#include "rgb/RgbClient.h"
#include "RgbRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace krm {
namespace {

using namespace rgb;
using test::u32;
using Bytes = std::vector<std::uint8_t>;

// The server's sockets on a loopback port, turned by hand as krmctl's poll() loop turns them.
struct SocketRig {
    SocketRig() {
        std::string error;
        EXPECT_TRUE(sockets.listen("127.0.0.1", 0, error)) << error;
    }
    void pump(int waitMs = 0) {
        sockets.pollOnce(waitMs);
        rig.server.run();
        sockets.flush();
    }

    test::RgbRig rig;
    RgbSockets sockets{rig.server, [this](const std::string& line) { rig.log.push_back(line); }};
};

// A client on a blocking loopback socket; every wait for the server pumps it.
struct Client {
    Client(SocketRig& server, int receiveBuffer = 0)
        : fd(connectLoopback(server.sockets.port(), receiveBuffer)), server_(server) {
        EXPECT_GE(fd, 0);
        server.pump(50);
    }
    ~Client() { ::close(fd); }
    void send(const Bytes& bytes) {
        EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
        server_.pump(50);
    }
    void send(PacketId id, std::uint32_t device = 0, const Bytes& payload = {}) {
        send(packet(id, device, payload));
    }
    // The next whole packet (id and payload), pumping the server until it came; nothing when the server
    // closed the connection first (or nothing came within two seconds, which fails the test anyway).
    std::optional<std::pair<std::uint32_t, Bytes>> receive() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            const ReadResult r = readPacket(in_);
            if (r.kind == ReadResult::Kind::Packet) {
                std::pair<std::uint32_t, Bytes> p{r.header.id, Bytes(r.payload.begin(), r.payload.end())};
                in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(r.consumed));
                return p;
            }
            if (closed()) return std::nullopt;
        }
        return std::nullopt;
    }
    // Whether the server has closed the connection (pumping it for up to two seconds); what it sent
    // before is kept for receive().
    bool closed() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            server_.pump(5);
            std::uint8_t chunk[4096];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) return true;
            if (n > 0) {
                in_.insert(in_.end(), chunk, chunk + n);
                return false;
            }
        }
        return false;
    }

    int fd = -1;

private:
    SocketRig& server_;
    Bytes in_;
};

// Each hostile client loses its connection with one log line, while a well-behaved client connected
// before it is served on, and nothing waits for the hostile one.
TEST(RgbSockets, HostileClientsAreDroppedAndTheOthersServed) {
    const struct {
        const char* name;
        std::function<void(Client&, SocketRig&)> act;
        const char* logged;
        int receiveBuffer = 0;
    } cases[] = {
        {"payload past the bound",
         [](Client& c, SocketRig&) {
             Bytes b = packet(PacketId::ClientName, 0, Bytes(8, 'a'));
             b[12] = 0x01, b[13] = 0x10; // 4097 bytes announced
             c.send(b);
         },
         "it announced a packet of 4097 bytes (at most 4096 are taken)"},
        {"wrong magic",
         [](Client& c, SocketRig&) {
             Bytes b = packet(PacketId::ControllerCount, 0);
             b[3] = 'X';
             c.send(b);
         },
         "it sent bytes that are not a packet (no \"ORGB\")"},
        {"truncated header, then silence",
         [](Client& c, SocketRig& s) {
             const Bytes b = packet(PacketId::ControllerCount, 0);
             c.send(Bytes(b.begin(), b.begin() + 10));
             s.rig.advanceMs(1999);
             s.pump();
             EXPECT_FALSE(s.rig.server.connections().size() < 2) << "dropped before its time";
             s.rig.advanceMs(1);
         },
         "it sent 10 bytes of a packet and not the rest within 2000 ms"},
        {"unknown packet id", [](Client& c, SocketRig&) { c.send(packet(static_cast<PacketId>(9999), 0)); },
         "it sent packet 9999, which protocol 0 to 5 does not have"},
        {"a version-6 packet", [](Client& c, SocketRig&) { c.send(packet(static_cast<PacketId>(10), 0)); },
         "it sent packet 10, which protocol 0 to 5 does not have"},
        {"controller that does not exist",
         [](Client& c, SocketRig&) { c.send(PacketId::ControllerData, 1, u32(5)); },
         "it asked for controller 1 of 1"},
        {"colours with the wrong size",
         [](Client& c, SocketRig&) {
             Bytes b = updateLedsPayload({{1, 2, 3}});
             b[0] = 99;
             c.send(PacketId::UpdateLeds, 0, b);
         },
         "its packet 1050 is malformed (10 bytes)"},
        {"a mode that does not exist",
         [](Client& c, SocketRig& s) {
             ModeChange m;
             m.index = 40;
             m.mode = describeMouse(s.rig.session()).info.modes[0];
             c.send(PacketId::UpdateMode, 0, modeChangePayload(m, 0));
         },
         "it chose mode 40, which the mouse does not have"},
        {"a client that never reads",
         [](Client& c, SocketRig&) {
             Bytes requests;
             for (int i = 0; i < 2000; ++i) {
                 const Bytes one = packet(PacketId::ControllerData, 0, u32(5));
                 requests.insert(requests.end(), one.begin(), one.end());
             }
             c.send(requests);
         },
         "it does not read its replies", 4096},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SocketRig s;
        Client good(s);
        good.send(PacketId::ProtocolVersion, 0, u32(5));
        ASSERT_EQ(good.receive(), (std::pair<std::uint32_t, Bytes>{40, u32(5)}));
        {
            Client hostile(s, c.receiveBuffer);
            c.act(hostile, s);
            const auto started = std::chrono::steady_clock::now();
            s.pump();
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
            EXPECT_TRUE(hostile.closed());
        }
        ASSERT_EQ(s.rig.log.size(), 1u);
        EXPECT_NE(s.rig.log[0].find(c.logged), std::string::npos) << s.rig.log[0];
        EXPECT_EQ(s.rig.server.connections().size(), 1u);
        good.send(PacketId::ControllerCount);
        EXPECT_EQ(good.receive(), (std::pair<std::uint32_t, Bytes>{0, u32(1)}));
    }
}

// A few clients at once: the next is turned away with a log line, and served once one has gone.
TEST(RgbSockets, AFewClientsAtOnce) {
    SocketRig s;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i) clients.push_back(std::make_unique<Client>(s));
    {
        Client fifth(s);
        EXPECT_TRUE(fifth.closed());
    }
    ASSERT_EQ(s.rig.log.size(), 1u);
    EXPECT_NE(s.rig.log[0].find("turned away 127.0.0.1:"), std::string::npos) << s.rig.log[0];
    clients.pop_back();
    s.pump(50);
    Client again(s);
    again.send(PacketId::ControllerCount);
    EXPECT_EQ(again.receive(), (std::pair<std::uint32_t, Bytes>{0, u32(1)}));
}

} // namespace
} // namespace krm
