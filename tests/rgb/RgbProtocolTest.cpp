#include "rgb/RgbProtocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace krm::rgb {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(const char* magic, std::uint32_t device, std::uint32_t id, std::uint32_t size) {
    Bytes b(magic, magic + 4);
    for (std::uint32_t v : {device, id, size})
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The reader takes a packet only when it is whole, knows a wrong magic from its first wrong byte and a
// payload past the bound from the header alone.
TEST(RgbProtocol, ReaderTakesWholePacketsAndRefusesWhatCannotBeOne) {
    using Kind = ReadResult::Kind;
    const Bytes count = header("ORGB", 0, 0, 0);
    const Bytes version = header("ORGB", 0, 40, 4) + Bytes{5, 0, 0, 0};
    const struct {
        const char* name;
        Bytes stream;
        Kind kind;
        std::size_t consumed;
        std::uint32_t id;
    } cases[] = {
        {"nothing yet", {}, Kind::Incomplete, 0, 0},
        {"part of the magic", {'O', 'R', 'G'}, Kind::Incomplete, 0, 0},
        {"wrong first byte", {'X'}, Kind::BadMagic, 0, 0},
        {"wrong fourth byte", header("ORGX", 0, 0, 0), Kind::BadMagic, 0, 0},
        {"header cut short", Bytes(count.begin(), count.begin() + 15), Kind::Incomplete, 0, 0},
        {"empty payload", count, Kind::Packet, 16, 0},
        {"payload not all there", Bytes(version.begin(), version.end() - 1), Kind::Incomplete, 0, 0},
        {"payload whole", version, Kind::Packet, 20, 40},
        {"two packets: the first", version + count, Kind::Packet, 20, 40},
        {"payload at the bound", header("ORGB", 0, 50, kMaxPayload), Kind::Incomplete, 0, 0},
        {"payload past the bound", header("ORGB", 0, 50, kMaxPayload + 1), Kind::TooLarge, 0, 0},
        {"size near 4 GiB", header("ORGB", 0, 1, 0xFFFFFFFF), Kind::TooLarge, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult r = readPacket(c.stream);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.consumed, c.consumed);
        if (r.kind == Kind::Packet) {
            EXPECT_EQ(r.header.id, c.id);
            EXPECT_EQ(r.payload.size(), c.consumed - kHeaderSize);
        }
    }
    EXPECT_EQ(packet(PacketId::ProtocolVersion, 0, Bytes{5, 0, 0, 0}), version);
}

// A controller of one zone, three LEDs and four modes, sized field by field from the protocol's tables
// and grown by exactly what each version adds.
TEST(RgbProtocol, ControllerDataCarriesWhatEachVersionHas) {
    ControllerInfo c;
    c.name = "Mouse";
    c.vendor = "KRM";
    c.description = "d";
    c.version = "R210B";
    c.location = "USB 3A7E:0C51";
    for (const char* name : {"Off", "Fixed", "Breath", "Rainbow"}) {
        ModeInfo m;
        m.name = name;
        c.modes.push_back(m);
    }
    c.modes[2].flags = kModeColours;
    c.modes[2].colours = {{1, 2, 3}, {4, 5, 6}};
    c.activeMode = 2;
    c.zones.push_back({"Mouse", kZoneLinear, 3});
    c.leds = {{"LED 1", 0}, {"LED 2", 1}, {"LED 3", 2}};
    c.colours = {{255, 0, 0}, {255, 0, 0}, {255, 0, 0}};

    auto s = [](const std::string& text) { return 2 + text.size() + 1; };
    std::size_t strings = 0;
    for (const auto* text : {&c.name, &c.description, &c.version, &c.serial, &c.location})
        strings += s(*text);
    std::size_t modes = 0;
    for (const ModeInfo& m : c.modes) modes += s(m.name) + 4 * 9 + 2 + 4 * m.colours.size();
    const std::size_t zone = s("Mouse") + 4 + 12 + 2;
    const std::size_t leds = s("LED 1") + 4 + s("LED 2") + 4 + s("LED 3") + 4;
    const std::size_t v0 = 4 + 4 + strings + 2 + 4 + modes + 2 + zone + 2 + leds + 2 + 4 * 3;

    const std::size_t expected[] = {v0,
                                    v0 + s("KRM"),
                                    v0 + s("KRM"),
                                    v0 + s("KRM") + 48,
                                    v0 + s("KRM") + 48 + 2,
                                    v0 + s("KRM") + 48 + 2 + 10};
    for (std::uint32_t version = 0; version <= 5; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        const Bytes data = controllerData(c, version);
        ASSERT_EQ(data.size(), expected[version]);
        EXPECT_EQ(readU32(Bytes(data.begin(), data.begin() + 4)), data.size()); // its own size first
        EXPECT_EQ(data[4], kDeviceTypeMouse);
        // The name right after the type: its count includes the NUL, which is sent.
        EXPECT_EQ(Bytes(data.begin() + 8, data.begin() + 16), (Bytes{6, 0, 'M', 'o', 'u', 's', 'e', 0}));
    }
}

// Every write packet is read whole or not at all: its leading size must be the payload's, its counts
// must fit, and nothing may be left over.
TEST(RgbProtocol, WritePayloadsAreReadWholeOrRefused) {
    const Bytes leds = updateLedsPayload({{1, 2, 3}, {4, 5, 6}});
    ModeChange change;
    change.index = 3;
    change.mode.name = "Fixed Color";
    change.mode.value = 3;
    change.mode.flags = kPerLedColour | kSavesItself;
    change.mode.speed = 7;
    change.mode.brightness = 2;
    change.mode.colourMode = ColourMode::ModeSpecific;
    change.mode.colours = {{9, 8, 7}};
    const Bytes mode5 = modeChangePayload(change, 5), mode2 = modeChangePayload(change, 2);
    const Bytes zone = Bytes{14, 0, 0, 0, 0, 0, 0, 0, 1, 0} + Bytes{0xFF, 0x80, 0x00, 0x00};

    const struct {
        const char* name;
        std::function<bool()> read;
        bool taken;
    } cases[] = {
        {"leds", [&] { return readUpdateLeds(leds).has_value(); }, true},
        {"leds, size says one byte more",
         [&] {
             Bytes b = leds;
             b[0]++;
             return readUpdateLeds(b).has_value();
         },
         false},
        {"leds, count says three",
         [&] {
             Bytes b = leds;
             b[4] = 3;
             return readUpdateLeds(b).has_value();
         },
         false},
        {"leds, a byte too many",
         [&] {
             Bytes b = leds;
             b.push_back(0);
             b[0]++;
             return readUpdateLeds(b).has_value();
         },
         false},
        {"zone leds", [&] { return readUpdateZoneLeds(zone).has_value(); }, true},
        {"zone leds cut short",
         [&] { return readUpdateZoneLeds(Bytes(zone.begin(), zone.end() - 1)).has_value(); }, false},
        {"single led",
         [] {
             return readUpdateSingleLed(Bytes{2, 0, 0, 0, 1, 2, 3, 0}).has_value();
         },
         true},
        {"single led, nine bytes", [] { return readUpdateSingleLed(Bytes(9)).has_value(); }, false},
        {"mode, version 5", [&] { return readModeChange(mode5, 5) == change; }, true},
        {"mode, version 2 (no brightness)",
         [&] {
             ModeChange v2 = change;
             v2.mode.brightness = 0;
             return mode2.size() + 12 == mode5.size() && readModeChange(mode2, 2) == v2;
         },
         true},
        {"mode of version 2 read as 5", [&] { return readModeChange(mode2, 5).has_value(); }, false},
        {"mode, name longer than the packet",
         [&] {
             Bytes b = mode5;
             b[8] = 0xFF;
             return readModeChange(b, 5).has_value();
         },
         false},
        {"mode, colour count past the end",
         [&] {
             Bytes b = mode5;
             b[b.size() - 6] = 9;
             return readModeChange(b, 5).has_value();
         },
         false},
        {"resize", [] { return readResizeZone(Bytes(8)).has_value(); }, true},
        {"resize, four bytes", [] { return readResizeZone(Bytes(4)).has_value(); }, false},
        {"version",
         [] {
             return readU32(Bytes{5, 0, 0, 0}) == 5u;
         },
         true},
        {"version, two bytes",
         [] {
             return readU32(Bytes{5, 0}).has_value();
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.read(), c.taken);
    }
    const auto taken = readUpdateLeds(leds);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->colours, (std::vector<Rgb>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(readUpdateZoneLeds(zone)->colours, (std::vector<Rgb>{{0xFF, 0x80, 0}}));
    EXPECT_EQ(emptyList(), (Bytes{6, 0, 0, 0, 0, 0}));
}

} // namespace
} // namespace krm::rgb
