#include "DeviceRig.h"

#include "device/DevicePresence.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace krm {

using test::DeviceRig;

namespace {

// The window around the presence logic: writes down which hooks ran.
struct PresenceRig : DeviceRig {
    explicit PresenceRig(Variant v = Variant::R210B) : DeviceRig(v) {
        presence.hooks.readImage = [this] { hooks.push_back("readImage"); };
        presence.hooks.resetToStart = [this] { hooks.push_back("resetToStart"); };
        presence.hooks.deviceForgotten = [this] { hooks.push_back("deviceForgotten"); };
        presence.hooks.layoutChanged = [this](const ImageLayout& l) {
            hooks.push_back("layout " + std::string(variantName(l.variant)));
        };
    }
    DevicePresence presence{commands, clock, ui};
    std::vector<std::string> hooks;

    int count(const std::string& hook) const {
        return static_cast<int>(std::count(hooks.begin(), hooks.end(), hook));
    }
};

// Table 1's second line is only "·": it is left out rather than shown as a stray line.
const std::string kLostMessage = "Waiting for the device reconnect";

// A machine whose interface count follows a script, one number per enumeration; every path opens.
class ScriptedCounts final : public HidBackend {
public:
    std::deque<int> script;
    std::vector<std::string> enumerate() override {
        int n = 0;
        if (!script.empty()) {
            n = script.front();
            script.pop_front();
        }
        return std::vector<std::string>(static_cast<std::size_t>(n), "p");
    }
    HidHandle open(const std::string&, bool) override { return 1; }
    void close(HidHandle) override {}
    bool attributes(HidHandle, HidAttributes&) override { return false; }
    bool capabilities(HidHandle, HidCapabilities&) override { return false; }
    bool setFeature(HidHandle, std::span<const std::uint8_t>) override { return false; }
    bool getFeature(HidHandle, std::span<std::uint8_t>) override { return false; }
    int readInput(HidHandle, std::span<std::uint8_t>) override { return -1; }
    void cancelReads() override {}
};

class Texts final : public TextSource {
public:
    std::string text(std::string_view id) const override {
        return id == "Str100"   ? "No Device Found"
               : id == "Str101" ? "Please check your device is attached to USB port"
                                : "";
    }
};

} // namespace

TEST(Presence, FirstPollFindsIdentifiesAndReads) {
    PresenceRig rig;
    rig.presence.poll();
    EXPECT_EQ(rig.hooks, (std::vector<std::string>{"layout R210B", "readImage"}));
    EXPECT_EQ(rig.presence.chipModel(), "R210B");
    EXPECT_EQ(rig.presence.layout().fireMacroAreaOffset, 1808u);
    EXPECT_EQ(rig.presence.storedCount(), 2);
    EXPECT_FALSE(rig.presence.pollRunning());
    const auto calls = rig.ui.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "events"), 21); // the settle before opening
    // The probe pair, then the identification.
    const auto lines = rig.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "set 40 0d 00 00 00 00 00 00");

    rig.hooks.clear();
    rig.presence.poll(); // same count: nothing
    EXPECT_TRUE(rig.hooks.empty());
}

TEST(Presence, UnrelatedDevicesMoveTheCount) {
    PresenceRig rig;
    rig.presence.poll();
    rig.hooks.clear();

    // Plugging anything re-opens the mouse and reads it again.
    rig.mouse.addInterface(SimulatedMouse::unrelatedInterface(1));
    rig.presence.poll();
    EXPECT_EQ(rig.count("readImage"), 1);
    EXPECT_EQ(rig.presence.storedCount(), 3);

    // Unplugging anything is taken for the mouse leaving, though it is still attached.
    rig.hooks.clear();
    rig.mouse.removeInterface("sim:other/1");
    rig.presence.poll();
    EXPECT_EQ(rig.ui.messages().back(), kLostMessage);
    EXPECT_EQ(rig.count("readImage"), 0);
    EXPECT_EQ(rig.link.commandHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.inputHandle(), kInvalidHandle);
    EXPECT_TRUE(rig.presence.noDevice());
    EXPECT_EQ(rig.presence.chipModel(), "");
    EXPECT_EQ(rig.presence.storedCount(), 2);
}

TEST(Presence, NoMouseAtStartIsSaidOnce) {
    PresenceRig rig;
    rig.mouse.setAttached(false);
    rig.mouse.addInterface(SimulatedMouse::unrelatedInterface(1));
    rig.presence.poll();
    rig.presence.poll();
    EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{kLostMessage});
    EXPECT_EQ(rig.presence.storedCount(), 1);
}

TEST(Presence, DeviceLostSteps) {
    PresenceRig rig;
    Texts texts;
    rig.presence.texts = &texts;
    rig.presence.deviceLost();
    EXPECT_EQ(rig.ui.calls(),
              (std::vector<std::string>{
                  "menus-", "timer:LabelRun-", "events", "cover",
                  "message:No Device Found\nPlease check your device is attached to USB port"}));
    EXPECT_EQ(rig.hooks, (std::vector<std::string>{"resetToStart", "deviceForgotten"}));
}

TEST(Presence, ACountNeedsTwoStablePairs) {
    // Each poll reads five pairs; the count is the last pair's first reading.
    const struct {
        const char* name;
        std::deque<int> readings;
        bool acts;
    } cases[] = {
        {"one stable pair", {3, 4, 3, 4, 3, 4, 3, 4, 5, 5}, false},
        {"two stable pairs", {3, 4, 3, 4, 3, 4, 5, 5, 5, 5}, true},
        {"last reading decides the count", {5, 5, 5, 5, 4, 3, 4, 3, 6, 2}, true},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        ScriptedCounts machine;
        DeviceLink link(machine);
        test::RecordingUiPort ui;
        DeviceCommands commands(link, clock, ui);
        DevicePresence presence(commands, clock, ui);
        machine.script = c.readings;
        presence.poll();
        // A count that rose and found no mouse says so and is remembered; an unstable one is ignored.
        EXPECT_EQ(ui.messages().size(), c.acts ? 1u : 0u) << c.name;
        EXPECT_EQ(presence.storedCount(), c.acts ? c.readings[8] : 0) << c.name;
    }
}

TEST(Presence, UnstableTickLeavesTheStoredCount) {
    FakeClock clock;
    ScriptedCounts machine;
    DeviceLink link(machine);
    test::RecordingUiPort ui;
    DeviceCommands commands(link, clock, ui);
    DevicePresence presence(commands, clock, ui);
    machine.script = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    presence.poll();
    ASSERT_EQ(presence.storedCount(), 3);
    machine.script = {2, 3, 2, 3, 2, 3, 2, 3, 2, 2};
    presence.poll();
    EXPECT_EQ(presence.storedCount(), 3);
    machine.script = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
    presence.poll(); // compared with 3, not with the ignored 2
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(presence.storedCount(), 2);
}

TEST(Presence, PollDoesNotReenter) {
    PresenceRig rig;
    int nested = 0;
    rig.ui.onProcessEvents = [&] {
        if (nested++ == 0) rig.presence.poll(); // a tick arriving during the settle
    };
    rig.presence.poll();
    EXPECT_EQ(rig.count("readImage"), 1);
    EXPECT_EQ(rig.lines().size(), 4u);
}

TEST(Presence, Identification) {
    const struct {
        std::uint8_t chip;
        int icConfigType;
        const char* model; // empty: rejected
    } cases[] = {
        {0x45, 1, "R210B"}, {0x30, 1, ""},      {0x30, 0, "R230B"},
        {0x45, 2, ""},      {0x40, 0, "R210B"}, {0x3F, 2, "R230B"},
    };
    for (const auto& c : cases) {
        PresenceRig rig;
        rig.mouse.setChipCode(c.chip);
        rig.presence.acceptedVariants = c.icConfigType;
        rig.presence.poll();
        EXPECT_EQ(rig.presence.chipModel(), c.model) << int(c.chip) << "/" << c.icConfigType;
        if (*c.model) {
            EXPECT_EQ(rig.count("readImage"), 1);
            EXPECT_TRUE(rig.ui.messages().empty());
        } else {
            EXPECT_EQ(rig.count("readImage"), 0);
            EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{"Waiting for the device reconnect"});
            EXPECT_FALSE(rig.ui.timerEnabled(UiTimer::DevTimerFirst));
            EXPECT_TRUE(rig.ui.timerEnabled(UiTimer::DevTimer));
        }
    }
}

TEST(Presence, IdentifyReplyWithoutColon) {
    PresenceRig rig;
    ASSERT_TRUE(rig.open());
    rig.mouse.setGarbageReplies(true);
    rig.presence.identifyAndRead();
    EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{"Waiting for the device reconnect"});
    EXPECT_EQ(rig.hooks, std::vector<std::string>{"resetToStart"});
    EXPECT_TRUE(rig.presence.noDevice());
}

TEST(Presence, RefusedIdentifyDoesNothing) {
    PresenceRig rig;
    ASSERT_TRUE(rig.open());
    rig.mouse.setCommandRefused(0x0D, true);
    rig.clearTrace();
    rig.presence.identifyAndRead();
    EXPECT_TRUE(rig.hooks.empty());
    EXPECT_TRUE(rig.ui.calls().empty());
    EXPECT_EQ(rig.lines(), std::vector<std::string>{"set 40 0d 00 00 00 00 00 00 !"});
}

TEST(Presence, RestartFindsTheMouseAgain) {
    PresenceRig rig(Variant::R230B);
    rig.presence.poll();
    ASSERT_EQ(rig.presence.chipModel(), "R230B");
    rig.hooks.clear();
    rig.clearTrace();
    const auto start = rig.clock.nowUs();

    bool presentDuringMessage = true;
    rig.ui.onMessage = [&](const std::string&) { presentDuringMessage = rig.mouse.present(); };
    rig.presence.restartDevice();

    EXPECT_FALSE(presentDuringMessage);
    EXPECT_EQ(rig.mouse.restarts(), 1);
    EXPECT_EQ(rig.lines().front(), "set 40 0e 00 00 00 00 00 00");
    EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{kLostMessage});
    EXPECT_EQ(rig.hooks.back(), "readImage");
    EXPECT_EQ(rig.presence.chipModel(), "R230B");
    EXPECT_EQ(rig.clock.nowUs() - start >= 5600000u, true); // 500 ms before, 51 x 100 ms after
    // Both presence timers were stopped; the image read is what starts DevTimer again.
    EXPECT_FALSE(rig.ui.timerEnabled(UiTimer::DevTimer));
    EXPECT_FALSE(rig.ui.timerEnabled(UiTimer::DevTimerFirst));
}

TEST(Presence, RestartThatLosesTheMouseKeepsPolling) {
    PresenceRig rig;
    rig.presence.poll();
    rig.ui.onMessage = [&](const std::string&) { rig.mouse.setAttached(false); };
    rig.presence.restartDevice();
    EXPECT_EQ(rig.ui.messages().size(), 2u); // the restart's message and the failed re-find's
    EXPECT_TRUE(rig.ui.timerEnabled(UiTimer::DevTimer));
    EXPECT_EQ(rig.presence.storedCount(), 0);

    // When it is plugged in again the next poll sees the rise and reads it.
    rig.ui.onMessage = nullptr;
    rig.hooks.clear();
    rig.mouse.setAttached(true);
    rig.presence.poll();
    EXPECT_EQ(rig.count("readImage"), 1);
}

TEST(Presence, TheLostMessageLeavesOutASecondLineOfOnlyMarks) {
    const struct {
        const char* second;
        std::string expected;
    } cases[] = {
        {"\xC2\xB7", "first"},
        {"", "first"},
        {" - ", "first"},
        {"Please check your device is attached to USB port",
         "first\nPlease check your device is attached to USB port"},
        {"\xE8\xAF\xB7\xE6\xA3\x80\xE6\x9F\xA5", "first\n\xE8\xAF\xB7\xE6\xA3\x80\xE6\x9F\xA5"}, // Chinese
        {"\xC3\xA9t\xC3\xA9", "first\n\xC3\xA9t\xC3\xA9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevicePresence::reconnectMessage("first", c.second), c.expected) << c.second;
}

} // namespace krm
