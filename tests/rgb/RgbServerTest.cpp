#include "rgb/RgbMouse.h"
#include "RgbRig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace krm {
namespace {

using namespace rgb;
using test::RgbRig;
using test::u32;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

Bytes colourLeds(Rgb c, int count = 1) {
    return updateLedsPayload(std::vector<Rgb>(static_cast<std::size_t>(count), c));
}

// A client's UpdateMode for mode `index` as the controller data describes it, with its own changes.
Bytes modeChange(Session& s, std::uint32_t index, const std::function<void(ModeInfo&)>& change = {}) {
    ModeChange c;
    c.index = index;
    c.mode = describeMouse(s).info.modes.at(index);
    if (change) change(c.mode);
    return modeChangePayload(c, 5);
}

// The mouse as a controller, in English whatever the window shows: the lighting page's modes for its LED
// type with their speed, brightness and colour ranges, and one zone of its LEDs in colour 1.
TEST(RgbServer, DescribesTheMouseAsTheLightingPageOffersIt) {
    const struct {
        Variant variant;
        std::vector<std::string> names;
        std::vector<std::uint32_t> flags;
        std::int32_t active;
        std::size_t leds;
        std::uint32_t speedMax, speed, brightness;
        std::vector<std::size_t> colours; // mode colours of each mode
    } cases[] = {
        {Variant::R230B, // RGB LEDs in mode 4, speed level 9
         {"Off", "Random", "Breath in turn", "Fixed Color", "Mixed Color", "DPI Color"},
         {0x200, 0x241, 0x241, 0x220, 0x241, 0x200},
         4,
         1,
         10,
         9,
         0,
         {0, 10, 10, 0, 10, 0}},
        {Variant::R210B, // ten MCU LEDs in mode 2, step segment 7, full brightness
         {"DPI Mode", "Colorful Light", "Rainbow", "Flow Light", "Waltz", "4-Seasons", "Off"},
         {0x210, 0x251, 0x211, 0x251, 0x251, 0x251, 0x200},
         1,
         10,
         8,
         7,
         2,
         {0, 10, 0, 10, 10, 4, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(variantName(c.variant));
        RgbRig rig(c.variant);
        rig.session().setLanguage(2);
        const MouseController m = describeMouse(rig.session());
        const ControllerInfo& info = m.info;
        EXPECT_EQ(info.type, kDeviceTypeMouse);
        EXPECT_EQ(info.name, "HID Gaming Mouse");
        EXPECT_EQ(info.vendor, "KRM");
        EXPECT_EQ(info.version, variantName(c.variant));
        ASSERT_EQ(info.modes.size(), c.names.size());
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            SCOPED_TRACE(c.names[i]);
            const ModeInfo& mode = info.modes[i];
            EXPECT_EQ(mode.name, c.names[i]);
            EXPECT_EQ(mode.flags, c.flags[i]);
            EXPECT_EQ(mode.colours.size(), c.colours[i]);
            EXPECT_EQ(mode.coloursMax, c.colours[i]);
            if (mode.flags & kHasSpeed) {
                EXPECT_EQ(std::pair(mode.speedMax, mode.speed), std::pair(c.speedMax, c.speed));
            }
            if (mode.flags & kHasBrightness) {
                EXPECT_EQ(mode.brightness, c.brightness);
            }
            if (!mode.colours.empty()) {
                EXPECT_EQ(mode.colours[0], rig.session().lighting().tableColour(1));
            }
        }
        EXPECT_EQ(info.activeMode, c.active);
        ASSERT_EQ(info.zones.size(), 1u);
        EXPECT_EQ(info.zones[0].leds, c.leds);
        EXPECT_EQ(info.leds.size(), c.leds);
        EXPECT_EQ(info.colours, std::vector<Rgb>(c.leds, rig.session().lighting().tableColour(1)));
    }
}

// What a client asks is answered in order, for the version it agreed; what it tells needs no answer.
TEST(RgbServer, AnswersAClientForTheVersionItAgreed) {
    RgbRig rig;
    const auto id = *rig.server.connect("127.0.0.1:5000");
    rig.send(id, PacketId::ProtocolVersion, 0, u32(9)); // a client newer than us
    rig.send(id, PacketId::ClientName, 0, {'s', 'y', 'n', 'c', 0});
    rig.send(id, PacketId::ControllerCount);
    rig.send(id, PacketId::ControllerData, 0, u32(3));
    rig.send(id, PacketId::ControllerData, 0, u32(7)); // more than agreed: what we have
    rig.send(id, PacketId::ControllerData, 0, {});     // a client that takes us for version 0
    rig.send(id, PacketId::Rescan);
    rig.send(id, PacketId::SaveProfile, 0, {'p', 0});
    rig.send(id, PacketId::ResizeZone, 0, Bytes(8));
    rig.send(id, PacketId::ResizeZone, 0, Bytes(8));
    rig.send(id, PacketId::ProfileList);

    const ControllerInfo info = describeMouse(rig.session()).info;
    const auto replies = rig.replies(id);
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0], (std::pair<std::uint32_t, Bytes>{40, u32(5)}));
    EXPECT_EQ(replies[1], (std::pair<std::uint32_t, Bytes>{0, u32(1)}));
    EXPECT_EQ(replies[2], (std::pair<std::uint32_t, Bytes>{1, controllerData(info, 3)}));
    EXPECT_EQ(replies[3], (std::pair<std::uint32_t, Bytes>{1, controllerData(info, 5)}));
    EXPECT_EQ(replies[4], (std::pair<std::uint32_t, Bytes>{1, controllerData(info, 0)}));
    EXPECT_EQ(replies[5], (std::pair<std::uint32_t, Bytes>{150, emptyList()}));
    EXPECT_EQ(rig.log,
              (Lines{"rgb: 'sync' (127.0.0.1:5000) connected (protocol 5)",
                     "rgb: 'sync' (127.0.0.1:5000) asked to resize the mouse's zone, which has a fixed "
                     "number of LEDs"}));
    rig.server.run();
    EXPECT_TRUE(rig.writes().empty());
}

// A client's mode and colour reach the mouse as the lighting page's own writes of that mode and colour,
// and the page's editor holds them.
TEST(RgbServer, ModeAndColourReachTheMouseAsThePagesWrites) {
    const struct {
        const char* name;
        Variant variant;
        std::function<void(RgbRig&, RgbServer::ConnectionId)> client;
        std::function<void(Session&)> page;
    } cases[] = {
        {"fixed colour, then the LEDs orange", Variant::R230B,
         [](RgbRig& r, auto id) {
             r.send(id, PacketId::UpdateMode, 0, modeChange(r.session(), 3));
             r.send(id, PacketId::UpdateLeds, 0, colourLeds({255, 128, 0}));
         },
         [](Session& s) {
             s.apply(s.lighting().chooseUserMode(4));
             s.apply(s.lighting().pickTableColour(1, {255, 128, 0}));
         }},
        {"breathing at speed 3 with two colours of its own", Variant::R230B,
         [](RgbRig& r, auto id) {
             r.send(id, PacketId::UpdateMode, 0, modeChange(r.session(), 2, [](ModeInfo& m) {
                        m.speed = 3;
                        m.colours = {{1, 2, 3}, {0, 255, 0}}; // colour 2 is green already
                    }));
         },
         [](Session& s) {
             s.apply(s.lighting().chooseUserMode(3));
             s.apply(s.lighting().chooseSpeedLevel(3));
             s.apply(s.lighting().pickTableColour(1, {1, 2, 3}));
         }},
        {"the per-LED mode, and a single LED", Variant::R230B,
         [](RgbRig& r, auto id) {
             r.send(id, PacketId::SetCustomMode);
             r.send(id, PacketId::UpdateSingleLed, 0, {0, 0, 0, 0, 0, 0, 255, 0});
         },
         [](Session& s) {
             s.apply(s.lighting().chooseUserMode(4));
             s.apply(s.lighting().pickTableColour(1, {0, 0, 255}));
         }},
        {"MCU LEDs: rainbow, step 4, half brightness", Variant::R210B,
         [](RgbRig& r, auto id) {
             r.send(id, PacketId::SaveMode, 0, modeChange(r.session(), 2, [](ModeInfo& m) {
                        m.speed = 4;
                        m.brightness = 1;
                    }));
         },
         [](Session& s) {
             s.apply(s.lighting().chooseUserMode(3));
             s.apply(s.lighting().chooseMcuStepSegment(4));
             s.apply(s.lighting().setMcuFullBright(false));
         }},
        {"MCU LEDs: zone colour of ten LEDs", Variant::R210B,
         [](RgbRig& r, auto id) {
             Bytes payload = colourLeds({9, 9, 9}, 10);
             payload.insert(payload.begin() + 4, {0, 0, 0, 0}); // zone 0 after the size
             payload[0] += 4;
             r.send(id, PacketId::UpdateZoneLeds, 0, payload);
         },
         [](Session& s) {
             s.apply(s.lighting().pickTableColour(1, {9, 9, 9}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RgbRig server(c.variant), page(c.variant);
        const auto id = server.connect();
        c.client(server, id);
        for (int i = 0; i < 3; ++i) {
            server.server.run();
            server.advanceMs(1000);
        }
        c.page(page.session());
        const Lines expected = page.writes();
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(server.writes(), expected);
        EXPECT_EQ(server.session().lighting().ledTypeByte(), page.session().lighting().ledTypeByte());
        EXPECT_EQ(server.session().lighting().tableColour(1), page.session().lighting().tableColour(1));
        EXPECT_EQ(server.rig.mouse.image(), page.rig.mouse.image());
    }
}

// Hundreds of colours a second: the first is written at once, then at most one a second, the last that
// came; a colour the mouse holds already is not written.
TEST(RgbServer, ColourUpdatesAreCoalescedOnTheClock) {
    RgbRig rig;
    const auto id = rig.connect();
    auto colourAt = [](int i) { return Rgb{static_cast<std::uint8_t>(i), 0x10, 0x20}; };
    auto colourWrite = [](Rgb c) {
        char text[40];
        std::snprintf(text, sizeof text, "set 40 05 00 39 %02x %02x %02x 03", c.r, c.g, c.b);
        return std::string(text);
    };
    // 200 a second for two seconds, the server run after each as the socket side does. Each write
    // takes the mouse's settle time, on the same clock.
    std::vector<std::uint64_t> writtenAt;
    const std::uint64_t start = rig.rig.clock.tickMs();
    int sent = 0;
    for (; sent < 400; ++sent) {
        rig.send(id, PacketId::UpdateLeds, 0, colourLeds(colourAt(sent)));
        const std::uint64_t now = rig.rig.clock.tickMs();
        rig.server.run();
        const Lines w = rig.writes();
        if (!w.empty()) {
            SCOPED_TRACE(sent);
            // The colour that came last, with the lighting page's four reports.
            ASSERT_EQ(w.size(), 4u);
            EXPECT_EQ(w.back(), colourWrite(colourAt(sent)));
            writtenAt.push_back(now);
        }
        rig.advanceMs(5);
    }
    const std::uint64_t elapsed = rig.rig.clock.tickMs() - start;
    ASSERT_GE(writtenAt.size(), 2u);
    EXPECT_EQ(writtenAt.front(), start);
    EXPECT_LE(writtenAt.size(), 1 + elapsed / 1000);
    for (std::size_t i = 1; i < writtenAt.size(); ++i) EXPECT_GE(writtenAt[i] - writtenAt[i - 1], 1000u);

    // The last colour waits for its time.
    ASSERT_EQ(rig.server.nextDueMs(), writtenAt.back() + 1000);
    rig.advanceMs(1000);
    rig.server.run();
    EXPECT_EQ(rig.writes(), (Lines{"set 40 05 00 39 8f 00 00 01", "set 40 05 00 3a 10 00 00 01",
                                   "set 40 05 00 3b 20 00 00 01", colourWrite(colourAt(399))}));
    // The colour it holds: nothing more.
    rig.advanceMs(1000);
    rig.send(id, PacketId::UpdateLeds, 0, colourLeds(colourAt(399)));
    rig.server.run();
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_FALSE(rig.server.nextDueMs());
}

// A write the mouse does not take: one log line, every client told to fetch the controller again (it
// shows what the mouse holds), and nothing written for a while.
TEST(RgbServer, AWriteTheMouseRefusesIsLoggedAndToldToTheClients) {
    RgbRig rig;
    const auto a = rig.connect(), b = rig.connect();
    const int mode = rig.session().lighting().currentMode();
    rig.rig.mouse.setCommandRefused(0x05, true);
    rig.send(a, PacketId::UpdateMode, 0, modeChange(rig.session(), 3));
    rig.server.run();
    ASSERT_EQ(rig.log.size(), 1u);
    EXPECT_TRUE(
        rig.log[0].starts_with("rgb: the mode of the R230B mouse was not changed: the mouse did not take"))
        << rig.log[0];
    EXPECT_EQ(rig.session().lighting().currentMode(), mode);
    for (const auto id : {a, b})
        EXPECT_EQ(rig.replies(id), (std::vector<std::pair<std::uint32_t, Bytes>>{{100, {}}}));

    rig.rig.mouse.setCommandRefused(0x05, false);
    rig.writes();
    rig.send(a, PacketId::UpdateMode, 0, modeChange(rig.session(), 3));
    rig.advanceMs(9000);
    rig.server.run();
    EXPECT_TRUE(rig.writes().empty());
    rig.advanceMs(1000);
    rig.server.run();
    EXPECT_EQ(rig.writes(), (Lines{"set 40 05 00 a5 03 00 00 01"}));
}

// The mouse goes and comes back: every client is told, and the count follows.
TEST(RgbServer, ClientsAreToldWhenTheMouseGoesAndComes) {
    RgbRig rig;
    const auto id = rig.connect();
    auto count = [&] {
        rig.send(id, PacketId::ControllerCount);
        return rig.replies(id);
    };
    rig.session().presence().poll(); // the poll counts the mouse from here on
    rig.replies(id);
    rig.rig.mouse.setAttached(false);
    rig.session().presence().poll();
    EXPECT_EQ(count(), (std::vector<std::pair<std::uint32_t, Bytes>>{{100, {}}, {0, u32(0)}}));
    rig.rig.mouse.setAttached(true);
    rig.session().presence().poll();
    EXPECT_EQ(count(), (std::vector<std::pair<std::uint32_t, Bytes>>{{100, {}}, {0, u32(1)}}));
}

} // namespace
} // namespace krm
