#include "DeviceRig.h"

#include "base/ResourceTable.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace krm {

using test::DeviceRig;

namespace {

void expectChecksumsValid(const SimulatedMouse::Image& img, const std::string& context) {
    const std::pair<std::size_t, std::size_t> sections[] = {
        {0, 164}, {164, 28}, {192, 49}, {241, 49}, {290, 49}};
    for (const auto& [offset, length] : sections) {
        const std::span<const std::uint8_t> s(img.data() + offset, length);
        EXPECT_EQ(s.back(), sectionChecksum(s)) << context << ": section at " << offset;
    }
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "krm-sim-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        if (!path_.empty()) std::filesystem::remove_all(path_);
    }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace

TEST(SimulatedMouse, StartImage) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        const auto img = SimulatedMouse::startImage(v);
        const auto embedded =
            ResourceTable::find(v == Variant::R210B ? "KRMR210BData_Cfg1" : "KRMR230BData_Cfg1");
        if (embedded && embedded->size() == kImageSize) {
            EXPECT_TRUE(std::equal(img.begin(), img.end(), embedded->begin()));
        } else {
            expectChecksumsValid(img, std::string(variantName(v)));
            EXPECT_EQ(img[image::kMarkerOffset], image::kMarker);
        }
        // Either way the mouse enumerates with the product's ids.
        EXPECT_EQ(img[0] << 8 | img[1], 0x3A7E);
        EXPECT_EQ(img[2] << 8 | img[3], 0x0C51);
    }
}

TEST(SimulatedMouse, IdentifiesItsVariant) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        DeviceRig rig(v);
        ASSERT_TRUE(rig.open());
        DeviceCommands::Reply reply{};
        ASSERT_TRUE(rig.commands.identify(&reply));
        EXPECT_EQ(reply[1], ':');
        EXPECT_EQ(reply[0] >= 0x40, v == Variant::R210B);
    }
}

TEST(SimulatedMouse, SingleWritesKeepTheChecksums) {
    DeviceRig rig;
    ASSERT_TRUE(rig.open());
    const struct {
        const char* name;
        std::function<void()> write;
        std::size_t address;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"vendor byte", [&] { rig.commands.writeImageByte(0x04, 0x25, 0, 0, 1); }, 0x04, {0x25}},
        {"user colour triple", [&] { rig.commands.writeImageByte(0xA5, 1, 2, 3, 3); }, 0xA5, {1, 2, 3}},
        {"profile 1 code",
         [&] { rig.commands.writeImageQuad(0xC4, 0x01, 0x02, 0x00, 0x00); },
         0xC4,
         {1, 2, 0, 0}},
        {"across vendor and user", [&] { rig.commands.writeImageQuad(0xA1, 9, 9, 9, 9); }, 0xA1, {9, 9}},
    };
    for (const auto& c : cases) {
        c.write();
        const auto img = rig.mouse.image();
        EXPECT_TRUE(
            std::equal(c.bytes.begin(), c.bytes.end(), img.begin() + static_cast<std::ptrdiff_t>(c.address)))
            << c.name;
        expectChecksumsValid(img, c.name);
    }
    // A block write stores what it is given, checksums included.
    std::vector<std::uint8_t> user(28, 0x11);
    ASSERT_TRUE(rig.commands.blockWrite(164, 28, user));
    EXPECT_EQ(rig.mouse.image()[191], 0x11);
}

TEST(SimulatedMouse, RestartLeavesAndReturnsWithItsImage) {
    DeviceRig rig;
    ASSERT_TRUE(rig.open());
    rig.commands.writeImageByte(0x04, 0x15, 0, 0, 1);
    const HidHandle old = rig.link.commandHandle();
    ASSERT_TRUE(rig.commands.sendCommand(0x0E, 0, 0, 0, 0));

    EXPECT_EQ(rig.link.countHidInterfaces(), 0);
    EXPECT_FALSE(rig.commands.identify()); // the old handles are dead
    rig.clock.sleepMs(SimulatedMouse::kRestartAbsenceMs - 1);
    EXPECT_FALSE(rig.mouse.present());
    rig.clock.sleepMs(1);
    EXPECT_EQ(rig.link.countHidInterfaces(), 2);
    HidAttributes a;
    EXPECT_FALSE(rig.trace.attributes(old, a));

    ASSERT_TRUE(rig.open());
    std::uint8_t b = 0;
    ASSERT_TRUE(rig.commands.blockRead(0x04, 1, std::span(&b, 1), false));
    EXPECT_EQ(b, 0x15);
}

TEST(SimulatedMouse, ImageFileSurvivesBetweenRuns) {
    TempDir dir;
    const std::string path = dir.file("mouse.bin");
    FakeClock clock;
    std::string error;
    {
        auto mouse = SimulatedMouse::withImageFile(Variant::R230B, clock, path, error);
        ASSERT_TRUE(mouse) << error;
        EXPECT_FALSE(std::filesystem::exists(path)); // nothing changed yet
        DeviceLink link(*mouse);
        test::RecordingUiPort ui;
        DeviceCommands commands(link, clock, ui);
        ASSERT_GE(link.openFromTable(DeviceIdTable{}), 0);
        commands.writeImageByte(0xA6, 0x02, 0, 0, 1);
        EXPECT_EQ(std::filesystem::file_size(path), kImageSize); // written at once
    }
    auto again = SimulatedMouse::withImageFile(Variant::R230B, clock, path, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->image()[0xA6], 0x02);
    expectChecksumsValid(again->image(), "reloaded");

    std::ofstream(dir.file("short.bin"), std::ios::binary) << "not an image";
    EXPECT_FALSE(SimulatedMouse::withImageFile(Variant::R210B, clock, dir.file("short.bin"), error));
    EXPECT_NE(error.find("2048 bytes"), std::string::npos) << error;
    EXPECT_NE(error.find("has 12"), std::string::npos) << error;
}

TEST(SimulatedMouse, VanishingMidTransfer) {
    DeviceRig rig;
    ASSERT_TRUE(rig.open());
    rig.mouse.vanishAfterReports(100); // the command and 99 fetches
    std::vector<std::uint8_t> dest(kImageSize);
    EXPECT_FALSE(rig.commands.blockRead(0, kImageSize, dest, false)) << "a read with lost pieces failed";
    const auto img = rig.mouse.image();
    EXPECT_TRUE(std::equal(img.begin(), img.begin() + 99 * 7, dest.begin()));
    EXPECT_TRUE(std::all_of(dest.begin() + 99 * 7, dest.end(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_FALSE(rig.mouse.present());
    EXPECT_TRUE(rig.lines().back().ends_with(" !"));
}

TEST(SimulatedMouse, ButtonEventsReachAnOpenInputHandle) {
    DeviceRig rig;
    ASSERT_TRUE(rig.open());
    rig.mouse.raiseButtonEvent(0x08);
    std::vector<std::uint8_t> buffer(8);
    ASSERT_TRUE(rig.link.readInputReport(rig.link.inputHandle(), buffer));
    EXPECT_EQ(rig.lines().back(), "in 42 00 00 08 00 00 00 00");
    // Feature-only handles read nothing, and a cancelled read returns at once.
    EXPECT_FALSE(rig.link.readInputReport(rig.link.commandHandle(), buffer));
    rig.trace.cancelReads();
    EXPECT_FALSE(rig.link.readInputReport(rig.link.inputHandle(), buffer));
}

TEST(SimulatedMouse, ItsOwnButtonsChangeWhatItHolds) {
    DeviceRig rig;
    auto image = rig.mouse.image();
    image[vendor::kDpiCountMinusOne] = 2; // three levels
    image[image::kUserOffset + user::kCurrentDpi] = 1;
    image[image::kUserOffset + user::kProfileAndColour] = 0xF1; // profile 2, the user colour
    storeSectionChecksum(std::span(image).subspan(image::kVendorOffset, image::kVendorLength));
    storeSectionChecksum(std::span(image).subspan(image::kUserOffset, image::kUserLength));
    rig.mouse.setImage(image);
    const auto level = [&] { return rig.mouse.image()[image::kUserOffset + user::kCurrentDpi]; };
    const auto profile = [&] { return rig.mouse.image()[image::kUserOffset + user::kProfileAndColour]; };
    const struct {
        std::uint8_t code;
        int level;            // 0-based, after the event
        std::uint8_t profile; // byte 0xA4 after it
    } steps[] = {
        {0x02, 2, 0xF1}, // CPI+ to the last level that is on
        {0x02, 2, 0xF1}, // ... and stays there
        {0x01, 0, 0xF1}, // CPI goes round to level 1
        {0x04, 0, 0xF1}, // CPI- stops at level 1
        {0x00, 0, 0xF1}, // a release changes nothing
        {0x08, 0, 0xF2}, // the profile button: profile 3, the colour kept
        {0x08, 0, 0xF0}, // and round to profile 1
    };
    for (const auto& step : steps) {
        rig.mouse.raiseButtonEvent(step.code);
        EXPECT_EQ(level(), step.level) << int(step.code);
        EXPECT_EQ(profile(), step.profile) << int(step.code);
    }
    expectChecksumsValid(rig.mouse.image(), "after the presses");
}

TEST(SimulatedMouseFaults, FaultsTakeEffectAfterTheirReportCount) {
    DeviceRig rig;
    rig.mouse.addFault({SimFault::Kind::RefuseCommand, 0x09, 3}); // the probes and the identify pass
    ASSERT_TRUE(rig.open());                                      // reports 1, 2
    EXPECT_TRUE(rig.commands.identify());                         // reports 3, 4
    std::vector<std::uint8_t> dest(14);
    EXPECT_FALSE(rig.commands.blockRead(0, 14, dest, false)) << "0x09 is refused from report 4 on";
    EXPECT_TRUE(rig.commands.shortRead(0, 7, dest)) << "other commands still pass";
    EXPECT_EQ(rig.lines()[4], "set 40 09 00 00 00 0e 00 00 !");
}

TEST(SimulatedMouseFaults, ShortRepliesFailHereAndShowTheirLengthToATransport) {
    DeviceRig rig;
    rig.mouse.addFault({SimFault::Kind::Short, 0, 2});
    ASSERT_TRUE(rig.open());
    ASSERT_TRUE(rig.commands.sendCommand(0x0D, 0, 0, 0, 0));
    // A short answer is a failed fetch for the link: the reply stays 0xFF.
    rig.commands.readReply();
    EXPECT_EQ(rig.commands.reply(), (DeviceCommands::Reply{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rig.lines().back(), "get 41 00 00 00 00 00 00 00 !");
    // What a transport that can carry it sees: 4 bytes, the report id and three data bytes.
    const HidHandle h = rig.link.queryHandle();
    ASSERT_TRUE(rig.commands.sendCommand(0x0D, 0, 0, 0, 0));
    std::array<std::uint8_t, 8> report{0x41, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(rig.mouse.fetchFeature(h, report), SimulatedMouse::kShortReplyLength);
    EXPECT_EQ(report[2], ':');
    EXPECT_EQ(report[4], 0xEE) << "nothing past the short answer is written";
}

TEST(SimulatedMouseFaults, FetchFailKeepsCommandsAccepted) {
    DeviceRig rig;
    rig.mouse.addFault({SimFault::Kind::FetchFail, 0, 0});
    ASSERT_TRUE(rig.open());
    EXPECT_NE(rig.link.commandHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.queryHandle(), kInvalidHandle);
}

TEST(SimulatedMouseFaults, VanishAfterN) {
    DeviceRig rig;
    rig.mouse.addFault({SimFault::Kind::Vanish, 0, 100});
    ASSERT_TRUE(rig.open()); // 2 reports
    std::vector<std::uint8_t> dest(kImageSize);
    EXPECT_FALSE(rig.commands.blockRead(0, kImageSize, dest, false));
    EXPECT_FALSE(rig.mouse.present());
    const auto lines = rig.lines();
    EXPECT_FALSE(lines[99].ends_with(" !"));
    EXPECT_TRUE(lines[100].ends_with(" !"));
}

TEST(SimulatedMouseFaults, EventsArriveInOrderAfterTheirCount) {
    DeviceRig rig;
    rig.mouse.addFault({SimFault::Kind::Events, 0, 1});
    ASSERT_TRUE(rig.open());
    EXPECT_FALSE(rig.mouse.takeInputReport()) << "not due yet";
    std::vector<std::uint8_t> codes;
    for (int i = 0; i < 4; ++i) {
        rig.clock.sleepMs(SimulatedMouse::kFaultEventSpacingMs);
        std::vector<std::uint8_t> buffer(8);
        ASSERT_TRUE(rig.link.readInputReport(rig.link.inputHandle(), buffer));
        codes.push_back(buffer[3]);
    }
    EXPECT_EQ(codes, (std::vector<std::uint8_t>{0x01, 0x00, 0x08, 0x00}));
    rig.clock.sleepMs(10 * SimulatedMouse::kFaultEventSpacingMs);
    EXPECT_FALSE(rig.mouse.takeInputReport()) << "the sequence runs once";
}

TEST(SimFaultText, ParsesEveryKind) {
    std::string error;
    EXPECT_EQ(parseSimFault("refuse-all", error), (SimFault{SimFault::Kind::RefuseAll, 0, 0}));
    EXPECT_EQ(parseSimFault("refuse-0D@12", error), (SimFault{SimFault::Kind::RefuseCommand, 0x0D, 12}));
    EXPECT_EQ(parseSimFault("fetch-fail", error), (SimFault{SimFault::Kind::FetchFail, 0, 0}));
    EXPECT_EQ(parseSimFault("short@5", error), (SimFault{SimFault::Kind::Short, 0, 5}));
    EXPECT_EQ(parseSimFault("garbage", error), (SimFault{SimFault::Kind::Garbage, 0, 0}));
    EXPECT_EQ(parseSimFault("vanish@100", error), (SimFault{SimFault::Kind::Vanish, 0, 100}));
    EXPECT_EQ(parseSimFault("events", error), (SimFault{SimFault::Kind::Events, 0, 0}));
    for (const char* bad : {"", "refuse", "refuse-0", "refuse-0g", "short@", "short@-1", "short@x", "loud"}) {
        error.clear();
        EXPECT_FALSE(parseSimFault(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(simFaultText({SimFault::Kind::RefuseCommand, 0x0D, 3}), "refuse-0d@3");
    EXPECT_EQ(simFaultText({SimFault::Kind::Vanish, 0, 0}), "vanish");
}

} // namespace krm
