#include "DeviceRig.h"

#include "device/ButtonEvents.h"

#include <gtest/gtest.h>

namespace krm {

namespace {

struct EventRig : test::DeviceRig {
    EventRig() {
        events.setIndicator = [this](Indicator i, bool on) {
            seen.push_back(std::string(indicatorName(i)) + (on ? "+" : "-"));
        };
        events.dpiLevelChanged = [this](std::uint8_t v) { seen.push_back("dpi " + std::to_string(v)); };
        events.profileChanged = [this](std::uint8_t v) { seen.push_back("profile " + std::to_string(v)); };
        auto img = mouse.image();
        img[0xA4] = 2;
        img[0xA6] = 3;
        mouse.setImage(img);
    }
    void report(std::uint8_t id, std::uint8_t code) {
        const std::uint8_t r[8] = {id, 0, 0, code, 0, 0, 0, 0};
        events.onInputReport(r);
    }
    ButtonEvents events{commands, clock, ui};
    std::vector<std::string> seen; // what reached the window, in order
};

const std::vector<std::string> kFollowUps = {"set 40 06 00 16 01 00 00 00", "get 41",
                                             "set 40 06 00 18 01 00 00 00", "get 41"};

void expectLines(const std::vector<std::string>& lines, const std::vector<std::string>& prefixes) {
    ASSERT_EQ(lines.size(), prefixes.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with(prefixes[i])) << i << ": " << lines[i];
}

} // namespace

TEST(ButtonEvents, CpiPressAndRelease) {
    EventRig rig;
    ASSERT_TRUE(rig.open());
    rig.clearTrace();

    rig.report(0x42, 0x01);
    expectLines(rig.lines(), kFollowUps);
    rig.ui.runQueued();
    EXPECT_EQ(rig.seen, std::vector<std::string>{"cb_CPITest+"});

    rig.clearTrace();
    const auto start = rig.clock.nowUs();
    rig.report(0x42, 0x00);
    std::vector<std::string> expected = {"set 40 09 00 a6 00 01 00 00", "get 41 03"};
    expected.insert(expected.end(), kFollowUps.begin(), kFollowUps.end());
    expectLines(rig.lines(), expected);
    EXPECT_EQ(rig.clock.nowUs() - start, 200000u + 3 * 500u); // the release delay and three fetch waits
    rig.ui.runQueued();
    EXPECT_EQ(rig.seen, (std::vector<std::string>{"cb_CPITest+", "dpi 3", "cb_CPITest-"}));
}

TEST(ButtonEvents, LatchesAreHandledInOrderAtOneRelease) {
    EventRig rig;
    ASSERT_TRUE(rig.open());
    rig.report(0x42, 0x08); // profile
    rig.report(0x42, 0x04); // CPI-
    rig.report(0x42, 0x02); // CPI+
    rig.clearTrace();
    const auto start = rig.clock.nowUs();
    rig.report(0x42, 0x00);

    std::vector<std::string> expected = {"set 40 09 00 a6", "get 41 03",       "set 40 09 00 a6",
                                         "get 41 03",       "set 40 09 00 a4", "get 41 02"};
    expected.insert(expected.end(), kFollowUps.begin(), kFollowUps.end());
    expectLines(rig.lines(), expected);
    EXPECT_GE(rig.clock.nowUs() - start, 600000u); // 200 ms before each re-read
    rig.ui.runQueued();
    EXPECT_EQ(rig.seen, (std::vector<std::string>{"cb_ProfileTest+", "cb_CPIDTest+", "cb_CPIITest+", "dpi 3",
                                                  "cb_CPIITest-", "dpi 3", "cb_CPIDTest-", "profile 2",
                                                  "cb_ProfileTest-"}));

    // A second release finds no latch: only the follow-ups.
    rig.clearTrace();
    rig.report(0x42, 0x00);
    expectLines(rig.lines(), kFollowUps);
}

TEST(ButtonEvents, OnlyButtonEventReportsCauseTraffic) {
    EventRig rig;
    ASSERT_TRUE(rig.open());
    rig.clearTrace();
    rig.report(0x01, 0x01); // another input report of the collection
    const std::uint8_t shortReport[2] = {0x42, 0x01};
    rig.events.onInputReport(shortReport);
    EXPECT_TRUE(rig.lines().empty());
    rig.ui.runQueued();
    EXPECT_TRUE(rig.seen.empty());

    rig.report(0x42, 0x77); // an unknown event code: no latch, but the follow-ups
    expectLines(rig.lines(), kFollowUps);
}

} // namespace krm
