#include "rgb/RgbProtocol.h"

#include <algorithm>
#include <cstring>

namespace krm::rgb {

namespace {

constexpr std::uint8_t kMagic[4] = {'O', 'R', 'G', 'B'};

// Reads little-endian fields front to back; a read past the end yields zeros and marks the reader failed.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    Rgb colour() {
        const std::uint32_t v = u32(); // red in the low byte; the fourth byte is unused
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16)};
    }
    std::vector<Rgb> colours(std::size_t count) {
        std::vector<Rgb> out;
        if (count > left() / 4) {
            ok_ = false;
            return out;
        }
        for (std::size_t i = 0; i < count; ++i) out.push_back(colour());
        return out;
    }
    // A length-prefixed string; its count includes the terminating NUL, which is not kept.
    std::string text() {
        const std::size_t count = u16();
        if (!ok_ || count > left()) {
            ok_ = false;
            return {};
        }
        std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), count);
        at_ += count;
        s.resize(std::min(s.size(), s.find('\0')));
        return s;
    }
    bool ok() const { return ok_; }
    // Every byte was read, and no read went past the end.
    bool whole() const { return ok_ && at_ == bytes_.size(); }

private:
    std::size_t left() const { return bytes_.size() - at_; }
    std::uint64_t take(std::size_t n) {
        if (!ok_ || n > left()) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{bytes_[at_ + i]} << (8 * i);
        at_ += n;
        return v;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

class Writer {
public:
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u16(std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void colour(Rgb c) { out.insert(out.end(), {c.r, c.g, c.b, 0}); }
    void colours(const std::vector<Rgb>& cs) {
        u16(static_cast<std::uint16_t>(cs.size()));
        for (Rgb c : cs) colour(c);
    }
    // The count includes the NUL, which is sent.
    void text(const std::string& s) {
        u16(static_cast<std::uint16_t>(s.size() + 1));
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
    // The leading size of a payload counts itself and everything after it.
    void sizeAtStart() {
        const auto n = static_cast<std::uint32_t>(out.size());
        for (int i = 0; i < 4; ++i)
            out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
    }
    std::vector<std::uint8_t> out;
};

void writeMode(Writer& w, const ModeInfo& m, std::uint32_t version) {
    w.text(m.name);
    w.i32(m.value);
    w.u32(m.flags);
    w.u32(m.speedMin);
    w.u32(m.speedMax);
    if (version >= 3) {
        w.u32(m.brightnessMin);
        w.u32(m.brightnessMax);
    }
    w.u32(m.coloursMin);
    w.u32(m.coloursMax);
    w.u32(m.speed);
    if (version >= 3) w.u32(m.brightness);
    w.u32(m.direction);
    w.u32(static_cast<std::uint32_t>(m.colourMode));
    w.colours(m.colours);
}

ModeInfo readMode(Reader& r, std::uint32_t version) {
    ModeInfo m;
    m.name = r.text();
    m.value = r.i32();
    m.flags = r.u32();
    m.speedMin = r.u32();
    m.speedMax = r.u32();
    if (version >= 3) {
        m.brightnessMin = r.u32();
        m.brightnessMax = r.u32();
    }
    m.coloursMin = r.u32();
    m.coloursMax = r.u32();
    m.speed = r.u32();
    if (version >= 3) m.brightness = r.u32();
    m.direction = r.u32();
    m.colourMode = static_cast<ColourMode>(r.u32());
    m.colours = r.colours(r.u16());
    return m;
}

// A payload that starts with its own size: the size must be the payload's.
bool sizedWhole(Reader& r, std::span<const std::uint8_t> payload) {
    return r.u32() == payload.size();
}

} // namespace

bool knownPacket(std::uint32_t id) {
    switch (static_cast<PacketId>(id)) {
    case PacketId::ControllerCount:
    case PacketId::ControllerData:
    case PacketId::ProtocolVersion:
    case PacketId::ClientName:
    case PacketId::DeviceListChanged:
    case PacketId::Rescan:
    case PacketId::ProfileList:
    case PacketId::SaveProfile:
    case PacketId::LoadProfile:
    case PacketId::DeleteProfile:
    case PacketId::PluginList:
    case PacketId::PluginMessage:
    case PacketId::ResizeZone:
    case PacketId::ClearSegments:
    case PacketId::AddSegment:
    case PacketId::UpdateLeds:
    case PacketId::UpdateZoneLeds:
    case PacketId::UpdateSingleLed:
    case PacketId::SetCustomMode:
    case PacketId::UpdateMode:
    case PacketId::SaveMode:
        return true;
    }
    return false;
}

bool addressesController(PacketId id) {
    const auto n = static_cast<std::uint32_t>(id);
    return id == PacketId::ControllerData || (n >= 1000 && n <= 1102);
}

ReadResult readPacket(std::span<const std::uint8_t> stream) {
    ReadResult result;
    // A wrong magic is known as soon as its first wrong byte is there.
    const std::size_t magic = std::min<std::size_t>(stream.size(), 4);
    if (magic > 0 && std::memcmp(stream.data(), kMagic, magic) != 0) {
        result.kind = ReadResult::Kind::BadMagic;
        return result;
    }
    if (stream.size() < kHeaderSize) return result;
    Reader r(stream.subspan(4, 12));
    result.header.device = r.u32();
    result.header.id = r.u32();
    result.header.size = r.u32();
    if (result.header.size > kMaxPayload) {
        result.kind = ReadResult::Kind::TooLarge;
        return result;
    }
    if (stream.size() - kHeaderSize < result.header.size) return result;
    result.kind = ReadResult::Kind::Packet;
    result.payload = stream.subspan(kHeaderSize, result.header.size);
    result.consumed = kHeaderSize + result.header.size;
    return result;
}

std::vector<std::uint8_t> packet(PacketId id, std::uint32_t device, std::span<const std::uint8_t> payload) {
    Writer w;
    w.out.assign(std::begin(kMagic), std::end(kMagic));
    w.u32(device);
    w.u32(static_cast<std::uint32_t>(id));
    w.u32(static_cast<std::uint32_t>(payload.size()));
    w.out.insert(w.out.end(), payload.begin(), payload.end());
    return w.out;
}

std::vector<std::uint8_t> controllerData(const ControllerInfo& c, std::uint32_t version) {
    Writer w;
    w.u32(0);
    w.i32(c.type);
    w.text(c.name);
    if (version >= 1) w.text(c.vendor);
    w.text(c.description);
    w.text(c.version);
    w.text(c.serial);
    w.text(c.location);
    w.u16(static_cast<std::uint16_t>(c.modes.size()));
    w.i32(c.activeMode);
    for (const ModeInfo& m : c.modes) writeMode(w, m, version);
    w.u16(static_cast<std::uint16_t>(c.zones.size()));
    for (const ZoneInfo& z : c.zones) {
        w.text(z.name);
        w.i32(z.type);
        w.u32(z.leds);
        w.u32(z.leds);
        w.u32(z.leds);
        w.u16(0);                   // no matrix
        if (version >= 4) w.u16(0); // no segments
        if (version >= 5) w.u32(0); // zone flags
    }
    w.u16(static_cast<std::uint16_t>(c.leds.size()));
    for (const LedInfo& l : c.leds) {
        w.text(l.name);
        w.u32(l.value);
    }
    w.colours(c.colours);
    if (version >= 5) {
        w.u16(0); // no other LED names
        w.u32(0); // controller flags
    }
    w.sizeAtStart();
    return w.out;
}

std::optional<std::uint32_t> readU32(std::span<const std::uint8_t> payload) {
    Reader r(payload);
    const std::uint32_t v = r.u32();
    if (!r.whole()) return std::nullopt;
    return v;
}

std::optional<LedColours> readUpdateLeds(std::span<const std::uint8_t> payload) {
    Reader r(payload);
    if (!sizedWhole(r, payload)) return std::nullopt;
    LedColours leds;
    leds.colours = r.colours(r.u16());
    if (!r.whole()) return std::nullopt;
    return leds;
}

std::vector<std::uint8_t> updateLedsPayload(const std::vector<Rgb>& colours) {
    Writer w;
    w.u32(0);
    w.colours(colours);
    w.sizeAtStart();
    return w.out;
}

std::optional<LedColours> readUpdateZoneLeds(std::span<const std::uint8_t> payload) {
    Reader r(payload);
    if (!sizedWhole(r, payload)) return std::nullopt;
    LedColours leds;
    leds.zone = r.u32();
    leds.colours = r.colours(r.u16());
    if (!r.whole()) return std::nullopt;
    return leds;
}

std::optional<SingleLed> readUpdateSingleLed(std::span<const std::uint8_t> payload) {
    Reader r(payload);
    SingleLed led;
    led.led = r.u32();
    led.colour = r.colour();
    if (!r.whole()) return std::nullopt;
    return led;
}

std::optional<ModeChange> readModeChange(std::span<const std::uint8_t> payload, std::uint32_t version) {
    Reader r(payload);
    if (!sizedWhole(r, payload)) return std::nullopt;
    ModeChange change;
    change.index = r.u32();
    change.mode = readMode(r, version);
    if (!r.whole()) return std::nullopt;
    return change;
}

std::vector<std::uint8_t> modeChangePayload(const ModeChange& change, std::uint32_t version) {
    Writer w;
    w.u32(0);
    w.u32(change.index);
    writeMode(w, change.mode, version);
    w.sizeAtStart();
    return w.out;
}

std::optional<ZoneResize> readResizeZone(std::span<const std::uint8_t> payload) {
    Reader r(payload);
    ZoneResize resize{r.i32(), r.i32()};
    if (!r.whole()) return std::nullopt;
    return resize;
}

std::vector<std::uint8_t> emptyList() {
    Writer w;
    w.u32(6);
    w.u16(0);
    return w.out;
}

} // namespace krm::rgb
