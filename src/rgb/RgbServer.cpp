#include "rgb/RgbServer.h"

#include <algorithm>

namespace krm::rgb {

namespace {

std::vector<std::uint8_t> u32Payload(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// A client's name for the log: printable ASCII, not too long.
std::string printable(std::span<const std::uint8_t> bytes) {
    std::string s;
    for (std::uint8_t b : bytes) {
        if (b == 0 || s.size() == 64) break;
        s += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '?';
    }
    return s;
}

} // namespace

RgbServer::RgbServer(RgbMice& mice, Clock& clock, Log log, Limits limits)
    : mice_(mice), clock_(clock), log_(std::move(log)), limits_(limits) {
    mice_.changed = [this] { miceChanged(); };
}

RgbServer::~RgbServer() {
    mice_.changed = nullptr;
}

// --- connections ---

std::optional<RgbServer::ConnectionId> RgbServer::connect(const std::string& peer) {
    if (connections_.size() >= limits_.clients) {
        log_("rgb: turned away " + peer + ": " + std::to_string(limits_.clients) + " clients are connected");
        return std::nullopt;
    }
    const ConnectionId id = next_++;
    connections_[id].peer = peer;
    return id;
}

std::string RgbServer::who(const Connection& c) const {
    return c.name.empty() ? c.peer : "'" + c.name + "' (" + c.peer + ")";
}

void RgbServer::drop(ConnectionId id, const std::string& why) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    log_("rgb: dropped " + who(it->second) + ": " + why);
    connections_.erase(it);
    dropped_.push_back(id);
}

std::vector<RgbServer::ConnectionId> RgbServer::takeDropped() {
    return std::exchange(dropped_, {});
}

std::vector<RgbServer::ConnectionId> RgbServer::connections() const {
    std::vector<ConnectionId> ids;
    for (const auto& [id, c] : connections_) ids.push_back(id);
    return ids;
}

void RgbServer::disconnected(ConnectionId id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    if (!it->second.in.empty())
        log_("rgb: " + who(it->second) + " went away in the middle of a packet (" +
             std::to_string(it->second.in.size()) + " bytes of it had come)");
    else if (!it->second.name.empty())
        log_("rgb: " + who(it->second) + " went away");
    connections_.erase(it);
}

std::span<const std::uint8_t> RgbServer::output(ConnectionId id) const {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return {};
    return it->second.out;
}

void RgbServer::sent(ConnectionId id, std::size_t n) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    auto& out = it->second.out;
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(std::min(n, out.size())));
}

bool RgbServer::reply(ConnectionId id, Connection& c, std::vector<std::uint8_t> bytes) {
    c.out.insert(c.out.end(), bytes.begin(), bytes.end());
    if (c.out.size() <= limits_.pendingOutput) return true;
    drop(id, "it does not read its replies (" + std::to_string(c.out.size()) + " bytes wait for it)");
    return false;
}

void RgbServer::received(ConnectionId id, std::span<const std::uint8_t> bytes) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    Connection& c = it->second;
    const bool fresh = c.in.empty();
    c.in.insert(c.in.end(), bytes.begin(), bytes.end());
    std::size_t at = 0;
    bool whole = false;
    for (;;) {
        const ReadResult r = readPacket(std::span<const std::uint8_t>(c.in).subspan(at));
        if (r.kind == ReadResult::Kind::Incomplete) break;
        if (r.kind == ReadResult::Kind::BadMagic)
            return drop(id, "it sent bytes that are not a packet (no \"ORGB\")");
        if (r.kind == ReadResult::Kind::TooLarge)
            return drop(id, "it announced a packet of " + std::to_string(r.header.size) + " bytes (at most " +
                                std::to_string(kMaxPayload) + " are taken)");
        // The payload stays valid: nothing is added to `in` while it is handled.
        if (!handle(id, c, r.header, r.payload)) return;
        at += r.consumed;
        whole = true;
    }
    c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(at));
    if (c.in.empty())
        c.partialSinceMs.reset();
    else if (fresh || whole)
        c.partialSinceMs = clock_.tickMs();
}

// --- packets ---

bool RgbServer::handle(ConnectionId id, Connection& c, const Header& h,
                       std::span<const std::uint8_t> payload) {
    if (!knownPacket(h.id)) {
        drop(id, "it sent packet " + std::to_string(h.id) + ", which protocol 0 to 5 does not have");
        return false;
    }
    const auto packetId = static_cast<PacketId>(h.id);
    auto malformed = [&] {
        drop(id, "its packet " + std::to_string(h.id) + " is malformed (" + std::to_string(payload.size()) +
                     " bytes)");
        return false;
    };
    const std::vector<Session*> mice = mice_.sessions();
    Session* mouse = nullptr;
    if (addressesController(packetId)) {
        if (h.device >= mice.size()) {
            drop(id, "it asked for controller " + std::to_string(h.device) + " of " +
                         std::to_string(mice.size()));
            return false;
        }
        mouse = mice[h.device];
    }
    switch (packetId) {
    case PacketId::ProtocolVersion: {
        const auto version = readU32(payload);
        if (!version) return malformed();
        c.version = std::min(*version, kNewestVersion);
        // The server's own newest version; both sides then use the lower one.
        return reply(id, c, packet(PacketId::ProtocolVersion, 0, u32Payload(kNewestVersion)));
    }
    case PacketId::ClientName:
        c.name = printable(payload);
        log_("rgb: " + who(c) + " connected (protocol " + std::to_string(c.version) + ")");
        return true;
    case PacketId::ControllerCount:
        return reply(
            id, c, packet(PacketId::ControllerCount, 0, u32Payload(static_cast<std::uint32_t>(mice.size()))));
    case PacketId::ControllerData: {
        // An empty request comes from a client that takes the server for version 0.
        std::uint32_t version = 0;
        if (!payload.empty()) {
            const auto asked = readU32(payload);
            if (!asked) return malformed();
            version = std::min(*asked, kNewestVersion);
        }
        return reply(
            id, c,
            packet(PacketId::ControllerData, h.device, controllerData(describeMouse(*mouse).info, version)));
    }
    case PacketId::ProfileList:
        return reply(id, c, packet(PacketId::ProfileList, 0, emptyList()));
    case PacketId::PluginList:
        return reply(id, c, packet(PacketId::PluginList, 0, emptyList()));
    case PacketId::ResizeZone:
        if (!readResizeZone(payload)) return malformed();
        if (!std::exchange(c.resizeSaid, true))
            log_("rgb: " + who(c) + " asked to resize the mouse's zone, which has a fixed number of LEDs");
        return true;
    case PacketId::UpdateLeds:
    case PacketId::UpdateZoneLeds:
    case PacketId::UpdateSingleLed: {
        const int leds = mouseLedCount(mouse->lighting());
        Rgb colour;
        if (packetId == PacketId::UpdateSingleLed) {
            const auto one = readUpdateSingleLed(payload);
            if (!one || one->led >= static_cast<std::uint32_t>(leds)) return malformed();
            colour = one->colour;
        } else {
            const auto all =
                packetId == PacketId::UpdateLeds ? readUpdateLeds(payload) : readUpdateZoneLeds(payload);
            if (!all || all->zone != 0 || all->colours.size() > static_cast<std::size_t>(leds))
                return malformed();
            if (all->colours.empty()) return true;
            colour = all->colours.front(); // the mouse shows one colour on all its LEDs
        }
        mouseStates_[mouse].ledColour = colour;
        return true;
    }
    case PacketId::SetCustomMode: {
        const MouseController controller = describeMouse(*mouse);
        if (controller.perLedMode) {
            LightingWish wish;
            wish.userItem = controller.userItems[static_cast<std::size_t>(*controller.perLedMode)];
            mouseStates_[mouse].modeWish = wish;
        }
        return true;
    }
    case PacketId::UpdateMode:
    case PacketId::SaveMode: {
        // Every change is stored by the mouse: saving is updating.
        const auto change = readModeChange(payload, c.version);
        if (!change) return malformed();
        auto wish = wishForMode(describeMouse(*mouse), *change);
        if (!wish) {
            drop(id, "it chose mode " + std::to_string(change->index) + ", which the mouse does not have");
            return false;
        }
        mouseStates_[mouse].modeWish = std::move(*wish);
        return true;
    }
    case PacketId::DeviceListChanged:
    case PacketId::Rescan:
    case PacketId::SaveProfile:
    case PacketId::LoadProfile:
    case PacketId::DeleteProfile:
    case PacketId::PluginMessage:
    case PacketId::ClearSegments:
    case PacketId::AddSegment:
        return true; // nothing to do: no profiles, plugins or segments here, and the list is always current
    }
    return true;
}

void RgbServer::tellEveryClient() {
    for (const ConnectionId id : connections())
        reply(id, connections_.at(id), packet(PacketId::DeviceListChanged, 0));
}

void RgbServer::miceChanged() {
    const auto mice = mice_.sessions();
    std::string offered;
    for (Session* s : mice)
        offered += (offered.empty() ? "the " : ", the ") + s->presence().chipModel() + " mouse";
    log_("rgb: " + (offered.empty() ? std::string("no mouse to offer") : "offering " + offered));
    if (!running_) {
        std::erase_if(mouseStates_, [&mice](const auto& entry) {
            return std::find(mice.begin(), mice.end(), entry.first) == mice.end();
        });
    }
    tellEveryClient();
}

// --- writes ---

void RgbServer::failed(Session& s, MouseState& state, const WishFailure& failure, std::uint64_t now) {
    const EditOutcome& o = failure.outcome;
    std::string why = o.refused ? "it was refused" : "the mouse did not take " + o.failedWrite;
    if (o.message && !o.message->empty()) why += " (" + *o.message + ")";
    log_("rgb: " + failure.what + " of the " + s.presence().chipModel() + " mouse was not changed: " + why +
         "; nothing more is written to it for " + std::to_string(limits_.holdOffMs / 1000) + " s");
    state = MouseState{};
    state.holdUntilMs = now + limits_.holdOffMs;
    // The only word the protocol has for it: the clients fetch the controller again and see what the
    // mouse holds.
    tellEveryClient();
}

bool RgbServer::writeDue(Session& s, MouseState& state, std::uint64_t now) {
    if (now < state.holdUntilMs) return false;
    bool wrote = false;
    if (!state.modeWish.empty()) {
        const LightingWish wish = std::exchange(state.modeWish, {});
        if (const auto failure = carryOutWish(s, wish)) {
            failed(s, state, *failure, now);
            return false;
        }
        wrote = true;
    }
    const bool colourDue = !state.lastColourMs || now >= *state.lastColourMs + limits_.colourIntervalMs;
    if (state.ledColour && colourDue) {
        const Rgb colour = *std::exchange(state.ledColour, std::nullopt);
        LightingEditor& e = s.lighting();
        if (e.coloursShown() && e.tableColour(1) != colour) {
            state.lastColourMs = now;
            LightingWish wish;
            wish.colours.emplace_back(1, colour);
            if (const auto failure = carryOutWish(s, wish)) {
                failed(s, state, *failure, now);
                return false;
            }
            wrote = true;
        }
    }
    return wrote;
}

void RgbServer::run() {
    if (running_) return; // a write lets events run, and one of them may land here
    running_ = true;
    const std::uint64_t now = clock_.tickMs();
    for (const ConnectionId id : connections()) {
        const Connection& c = connections_.at(id);
        if (c.partialSinceMs && now >= *c.partialSinceMs + limits_.partialPacketMs)
            drop(id, "it sent " + std::to_string(c.in.size()) +
                         " bytes of a packet and not the rest within " +
                         std::to_string(limits_.partialPacketMs) + " ms");
    }
    for (Session* s : mice_.sessions()) {
        const auto state = mouseStates_.find(s);
        if (state == mouseStates_.end() || s->refreshGuard() || s->presence().pollRunning()) continue;
        // The window's pages and the companion show what the mouse holds now.
        if (writeDue(*s, state->second, now)) s->notify([](SessionObserver& o) { o.editorsReloaded(); });
    }
    running_ = false;
}

std::optional<std::uint64_t> RgbServer::nextDueMs() const {
    std::optional<std::uint64_t> due;
    auto consider = [&due](std::uint64_t t) { due = due ? std::min(*due, t) : t; };
    for (const auto& [id, c] : connections_)
        if (c.partialSinceMs) consider(*c.partialSinceMs + limits_.partialPacketMs);
    for (const auto& [session, state] : mouseStates_) {
        if (!state.modeWish.empty()) consider(state.holdUntilMs);
        if (state.ledColour)
            consider(std::max(state.holdUntilMs, state.lastColourMs.value_or(0) +
                                                     (state.lastColourMs ? limits_.colourIntervalMs : 0)));
    }
    return due;
}

} // namespace krm::rgb
