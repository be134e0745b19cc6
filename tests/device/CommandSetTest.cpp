#include "DeviceRig.h"

#include "base/Bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

namespace krm {

using test::DeviceRig;

namespace {

std::size_t countStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

class CommandSet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig_.open());
        rig_.clearTrace();
        rig_.ui.clear();
    }
    DeviceRig rig_;
};

} // namespace

TEST_F(CommandSet, WholeImageReadIsOneCommandAnd293Fetches) {
    // Three guard bytes behind the 2048: the last fetch may copy only 4 of its 7 bytes.
    std::vector<std::uint8_t> dest(kImageSize + 3, 0xAB);
    const auto start = rig_.clock.nowUs();
    ASSERT_TRUE(rig_.commands.blockRead(0, kImageSize, std::span(dest).first(kImageSize), true));

    const auto lines = rig_.lines();
    ASSERT_EQ(lines.size(), 294u);
    EXPECT_EQ(lines[0], "set 40 09 00 00 08 00 00 00");
    EXPECT_EQ(countStarting(lines, "get 41 "), 293u);
    const auto image = rig_.mouse.image();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dest.begin()));
    EXPECT_EQ(dest[2048], 0xAB);
    EXPECT_EQ(dest[2050], 0xAB);
    EXPECT_EQ(rig_.clock.nowUs() - start, 293u * 500u); // the wait after every fetch
    const auto calls = rig_.ui.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "busy+"), 293);
}

TEST_F(CommandSet, ReadWhoseFetchesAllFailFillsFFAndFails) {
    rig_.mouse.setFetchesFail(true);
    std::vector<std::uint8_t> dest(kImageSize, 0x00);
    const auto start = rig_.clock.nowUs();
    EXPECT_FALSE(rig_.commands.blockRead(0, kImageSize, dest, false));
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xFF; }));
    const auto lines = rig_.lines();
    EXPECT_EQ(countStarting(lines, "get 41 00 00 00 00 00 00 00 !"), 293u);
    EXPECT_EQ(rig_.clock.nowUs(), start); // no wait after a failed fetch
}

TEST_F(CommandSet, RefusedReadSendsNoFetch) {
    rig_.mouse.setCommandRefused(0x09, true);
    std::vector<std::uint8_t> dest(16, 0x00);
    EXPECT_FALSE(rig_.commands.blockRead(0, 16, dest, false));
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(rig_.lines(), std::vector<std::string>{"set 40 09 00 00 00 10 00 00 !"});
}

TEST_F(CommandSet, ReportBytes) {
    std::uint8_t one = 0;
    std::vector<std::uint8_t> user(28);
    std::uint8_t x = 0;
    const struct {
        const char* name;
        std::function<bool()> run;
        std::vector<std::string> lines;
    } cases[] = {
        {"one byte at the current profile",
         [&] { return rig_.commands.blockRead(0xA4, 1, std::span(&one, 1), false); },
         {"set 40 09 00 a4 00 01 00 00", "get 41 "}},
        {"user section short read",
         [&] { return rig_.commands.shortRead(0xA4, 28, user); },
         {"set 40 06 00 a4 00 1c 00 00", "get", "get", "get", "get"}},
        {"single byte",
         [&] { return rig_.commands.writeImageByte(0x04, 0x5A, 0, 0, 1); },
         {"set 40 05 00 04 5a 00 00 01"}},
        {"16-bit vendor id",
         [&] { return rig_.commands.writeImageByte(0x00, 0x12, 0x34, 0, 2); },
         {"set 40 05 00 00 12 34 00 02"}},
        {"combo key code",
         [&] { return rig_.commands.writeImageQuad(0x83, 1, 2, 3, 4); },
         {"set 40 05 01 83 01 02 03 04"}},
        {"xdata write",
         [&] { return rig_.commands.xdataWrite(0x7241, 0x01); },
         {"set 40 01 72 41 01 00 00 00"}},
        {"xdata read",
         [&] { return rig_.commands.xdataRead(0x7241, x); },
         {"set 40 02 72 41 00 01 00 00", "get 41 01 00 00 00 00 00 00"}},
        {"identify",
         [&] { return rig_.commands.identify(); },
         {"set 40 0d 00 00 00 00 00 00", "get 41 45 3a 00 00 00 00 00"}},
    };
    for (const auto& c : cases) {
        rig_.clearTrace();
        EXPECT_TRUE(c.run()) << c.name;
        const auto lines = rig_.lines();
        ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].starts_with(c.lines[i])) << c.name << ": " << lines[i];
    }
    EXPECT_EQ(x, 0x01);
    EXPECT_EQ(rig_.mouse.image()[0x04], 0x5A);
    EXPECT_EQ(rig_.mouse.image()[0x00], 0x12);
    EXPECT_EQ(rig_.mouse.image()[0x01], 0x34);
}

TEST_F(CommandSet, SingleWriteShowsBusyAroundASettleSleep) {
    const auto start = rig_.clock.nowUs();
    EXPECT_TRUE(rig_.commands.writeImageByte(0x04, 0x5A, 0, 0, 1));
    EXPECT_EQ(rig_.clock.nowUs() - start, 100000u);
    EXPECT_EQ(rig_.ui.calls(), (std::vector<std::string>{"busy+", "events", "busy-", "events"}));
}

TEST_F(CommandSet, VendorSectionRangeWriteIs55Reports) {
    auto image = rig_.mouse.image();
    std::vector<std::uint8_t> vendor(164);
    std::iota(vendor.begin(), vendor.end(), std::uint8_t{1});
    vendor[163] = sectionChecksum(vendor);
    ASSERT_TRUE(rig_.commands.writeImageRange(0, 0x00, 164, vendor));

    const auto lines = rig_.lines();
    ASSERT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines[0], "set 40 05 00 00 01 02 03 03");
    // The last piece carries bytes 162 and 163 and count 2; its third data byte is left over.
    EXPECT_EQ(lines[54], "set 40 05 00 a2 a3 " + traceHex(std::span(&vendor[163], 1)) + " a2 02");
    image = rig_.mouse.image();
    EXPECT_TRUE(std::equal(vendor.begin(), vendor.end(), image.begin()));
    const auto calls = rig_.ui.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "busy+"), 55);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "busy-"), 0); // left showing for the caller
}

TEST_F(CommandSet, RangeWriteRefusesWhatWouldStoreStaleBytes) {
    const std::vector<std::uint8_t> six(6, 0x11);
    EXPECT_FALSE(rig_.commands.writeImageRange(1, 0x7F, 6, six)); // form 1 has no count byte
    EXPECT_FALSE(rig_.commands.writeImageRange(0, 0x00, 7, six)); // source shorter than the count
    EXPECT_FALSE(rig_.commands.writeImageRange(2, 0x00, 6, six));
    EXPECT_TRUE(rig_.lines().empty());
}

TEST_F(CommandSet, BlockWriteDataReports) {
    std::vector<std::uint8_t> ten = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
    ASSERT_TRUE(rig_.commands.blockWrite(484, 10, ten));
    EXPECT_EQ(rig_.lines(),
              (std::vector<std::string>{"set 40 07 01 e4 00 0a 00 00", "set 41 10 11 12 13 14 15 16",
                                        // past a short last piece: the previous piece's bytes
                                        "set 41 17 18 19 13 14 15 16"}));
    const auto image = rig_.mouse.image();
    EXPECT_TRUE(std::equal(ten.begin(), ten.end(), image.begin() + 484));

    rig_.clearTrace();
    ASSERT_TRUE(rig_.commands.blockWrite(1008, 3, ten));
    EXPECT_EQ(rig_.lines().back(), "set 41 10 11 12 ff ff ff ff"); // a single piece: 0xFF after it
}

TEST(CommandSetFaults, WritesWithALostReportFailAndStopAtIt) {
    // The mouse leaves after two more reports: the third report of each write is the lost one.
    const std::vector<std::uint8_t> bytes(28, 0x5A);
    struct Case {
        const char* name;
        std::function<bool(DeviceCommands&)> run;
    };
    const Case cases[] = {
        {"block write", [&](DeviceCommands& c) { return c.blockWrite(164, 28, bytes); }},
        {"range write", [&](DeviceCommands& c) { return c.writeImageRange(0, 0xA4, 28, bytes); }},
    };
    for (const auto& c : cases) {
        DeviceRig rig;
        ASSERT_TRUE(rig.open());
        rig.clearTrace();
        rig.mouse.vanishAfterReports(2);
        EXPECT_FALSE(c.run(rig.commands)) << c.name;
        const auto lines = rig.lines();
        ASSERT_EQ(lines.size(), 3u) << c.name << ": nothing is sent after the lost report";
        EXPECT_TRUE(lines[2].ends_with(" !")) << c.name;
    }
}

TEST(CommandSetWithoutDevice, EveryOperationDoesNothingOnInvalidHandles) {
    DeviceRig rig; // never opened: every handle is -1
    std::vector<std::uint8_t> dest(14, 0x00);
    std::uint8_t value = 0;
    const std::vector<std::uint8_t> src(14, 0x22);
    EXPECT_FALSE(rig.commands.sendCommand(0x0D, 0, 0, 0, 0));
    EXPECT_FALSE(rig.commands.sendDataReport(std::span<const std::uint8_t, 7>(src.data(), 7)));
    EXPECT_FALSE(rig.commands.writeImageByte(0x04, 1, 0, 0, 1));
    EXPECT_FALSE(rig.commands.writeImageQuad(0x7F, 1, 2, 3, 4));
    EXPECT_FALSE(rig.commands.writeImageRange(0, 0, 14, src));
    EXPECT_FALSE(rig.commands.blockWrite(0, 14, src));
    EXPECT_FALSE(rig.commands.xdataWrite(0x07C4, 1));
    EXPECT_FALSE(rig.commands.xdataRead(0x07C4, value));
    EXPECT_FALSE(rig.commands.identify());
    EXPECT_FALSE(rig.commands.shortRead(0xA4, 14, dest));
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xFF; }));
    std::fill(dest.begin(), dest.end(), 0);
    EXPECT_FALSE(rig.commands.blockRead(0, 14, dest, true));
    EXPECT_TRUE(std::all_of(dest.begin(), dest.end(), [](std::uint8_t b) { return b == 0xFF; }));
    rig.link.replyBuffer().fill(0);
    rig.commands.readReply();
    EXPECT_EQ(rig.commands.reply(), DeviceCommands::Reply({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

    EXPECT_TRUE(rig.lines().empty());
    EXPECT_TRUE(rig.ui.calls().empty()); // not even the busy window
    EXPECT_EQ(rig.clock.nowUs(), 0u);
}

TEST(BitOps, TestSetClear) {
    EXPECT_TRUE(testBit(0x10, 4));
    EXPECT_FALSE(testBit(0x10, 3));
    EXPECT_TRUE(testBit(0x10, 36)); // bit numbers wrap at 32
    EXPECT_EQ(setBit(0, 7), 0x80u);
    EXPECT_EQ(setBit(0, 31), 0x80000000u);
    EXPECT_EQ(clearBit(0xFF, 0), 0xFEu);
}

} // namespace krm
