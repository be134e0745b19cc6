#pragma once

#include "rgb/RgbServer.h"
#include "support/SessionRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace krm::test {

inline std::vector<std::uint8_t> u32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// The RGB server over a session on the simulated mouse, on virtual time, its log kept.
struct RgbRig {
    explicit RgbRig(Variant variant = Variant::R230B)
        : rig(variant), mice(rig.session),
          server(mice, rig.clock, [this](const std::string& line) { log.push_back(line); }) {
        EXPECT_TRUE(rig.session.connectNow());
        rig.clearTrace();
        log.clear();
    }

    Session& session() { return rig.session; }
    void advanceMs(std::uint64_t ms) { rig.clock.advanceUs(ms * 1000); }
    // The writes the mouse received since the last call.
    std::vector<std::string> writes() {
        auto w = writesOf(commandSummary(rig.lines()));
        rig.clearTrace();
        return w;
    }
    // Each whole packet waiting for a connection, taken off its output: id and payload.
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>
    replies(rgb::RgbServer::ConnectionId id) {
        std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> out;
        const auto bytes = server.output(id);
        std::size_t at = 0;
        for (auto r = rgb::readPacket(bytes); r.kind == rgb::ReadResult::Kind::Packet;
             r = rgb::readPacket(bytes.subspan(at))) {
            out.emplace_back(r.header.id, std::vector<std::uint8_t>(r.payload.begin(), r.payload.end()));
            at += r.consumed;
        }
        server.sent(id, at);
        return out;
    }
    // A client that agreed on version 5.
    rgb::RgbServer::ConnectionId connect() {
        const auto id = *server.connect("127.0.0.1:" + std::to_string(5000 + server.connections().size()));
        send(id, rgb::PacketId::ProtocolVersion, 0, u32(5));
        replies(id);
        return id;
    }
    void send(rgb::RgbServer::ConnectionId id, rgb::PacketId packet, std::uint32_t device = 0,
              const std::vector<std::uint8_t>& payload = {}) {
        server.received(id, rgb::packet(packet, device, payload));
    }

    SessionRig rig;
    rgb::SessionMice mice;
    std::vector<std::string> log;
    rgb::RgbServer server;
};

} // namespace krm::test
