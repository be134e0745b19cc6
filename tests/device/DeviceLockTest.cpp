// One owner per mouse: the lock on the file that stands for it, and the device link that takes it
// before it sends anything.

#include "device/DeviceLock.h"
#include "device/DeviceLink.h"
#include "device/HidapiBackend.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMachine.h"
#include "device/SimulatedMouse.h"
#include "image/ImageFiles.h"
#include "support/TempDir.h"
#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace krm {
namespace {

using Outcome = DeviceLock::Outcome;

std::vector<std::uint8_t> bytes(std::uint8_t fill) {
    return std::vector<std::uint8_t>(kImageSize, fill);
}

TEST(DeviceLock, OneHolderAtATimeWhoIsNamedAndLetsGo) {
    test::ScratchDir dir;
    const std::string file = dir.file("mouse.bin");
    ASSERT_FALSE(writeFileAtomically(file, bytes(1)));

    Outcome outcome{};
    auto first = DeviceLock::tryTake(file, outcome);
    ASSERT_TRUE(first);
    EXPECT_EQ(outcome, Outcome::Taken);

    // A second descriptor is another would-be owner, even in this process.
    std::optional<LockHolder> holder;
    EXPECT_FALSE(DeviceLock::tryTake(file, outcome, &holder));
    EXPECT_EQ(outcome, Outcome::Held);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, ::getpid());
    EXPECT_FALSE(holder->program.empty());
    EXPECT_EQ(DeviceLock::holder(file)->pid, ::getpid());

    first.reset();
    EXPECT_FALSE(DeviceLock::holder(file));
    EXPECT_TRUE(DeviceLock::tryTake(file, outcome));

    EXPECT_FALSE(DeviceLock::tryTake(dir.file("absent.bin"), outcome));
    EXPECT_EQ(outcome, Outcome::Failed);
}

TEST(DeviceLock, ANewFileTakesTheOldOnesPlaceAlreadyLocked) {
    test::ScratchDir dir;
    const std::string file = dir.file("mouse.bin");
    ASSERT_FALSE(writeFileAtomically(file, bytes(1)));
    Outcome outcome{};
    auto lock = DeviceLock::tryTake(file, outcome);
    ASSERT_TRUE(lock);
    struct stat before {};
    ::stat(file.c_str(), &before);

    ASSERT_FALSE(lock->replaceContents(bytes(2)));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino) << "written as a new file";
    EXPECT_EQ(*readFilePrefix(file, kImageSize).value, bytes(2));
    // Whoever opens the name now meets the new file, held.
    EXPECT_FALSE(DeviceLock::tryTake(file, outcome));
    EXPECT_EQ(outcome, Outcome::Held);
    EXPECT_TRUE(lock->stillNamed());

    lock.reset();
    EXPECT_TRUE(DeviceLock::tryTake(file, outcome));
}

// Two programs on one simulated mouse's image file: each has its own link and its own view of the
// mouse, as two processes do.
struct TwoPrograms {
    test::ScratchDir dir;
    std::string file = dir.file("mouse.bin");
    FakeClock clock;
    std::string error;
    std::unique_ptr<SimulatedMouse> mouseA =
        SimulatedMouse::withImageFile(Variant::R210B, clock, file, error);
    std::unique_ptr<SimulatedMouse> mouseB =
        SimulatedMouse::withImageFile(Variant::R210B, clock, file, error);
    std::ostringstream traceB;
    TracingBackend tracedB{*mouseB, traceB};
    DeviceLink linkA{*mouseA};
    DeviceLink linkB{tracedB};
};

TEST(DeviceLinkOwner, AMouseAnotherProgramHoldsGetsNoReportAndTheHolderIsNamed) {
    TwoPrograms p;
    ASSERT_GE(p.linkA.openFromTable(DeviceIdTable{}), 0);
    EXPECT_EQ(p.linkA.location().node, p.mouseA->imageFile());
    EXPECT_EQ(p.linkA.location().device, "simulated-1");

    EXPECT_LT(p.linkB.openFromTable(DeviceIdTable{}), 0);
    EXPECT_TRUE(test::traceLines(p.traceB.str()).empty()) << "not even the identify probe";
    ASSERT_TRUE(p.linkB.heldBy());
    EXPECT_EQ(p.linkB.heldBy()->pid, ::getpid());
    EXPECT_EQ(p.linkB.heldDevice(), "simulated-1");

    // The first lets go: the second takes the mouse, with what the first wrote into its file.
    std::array<std::uint8_t, 8> write{0x40, 0x05, 0x00, 0x2C, 0x07, 0x00, 0x00, 0x01};
    ASSERT_TRUE(p.linkA.setFeatureReport(p.linkA.commandHandle(), write));
    p.linkA.reset();
    ASSERT_GE(p.linkB.openFromTable(DeviceIdTable{}), 0);
    EXPECT_FALSE(p.linkB.heldBy());
    EXPECT_EQ(p.mouseB->image()[0x2C], 0x07);
    // Opening again keeps the lock it has.
    EXPECT_GE(p.linkB.openFromTable(DeviceIdTable{}), 0);
    EXPECT_TRUE(DeviceLock::holder(p.file));
}

TEST(DeviceLinkOwner, OnlyTheChosenOfTwoMiceIsReached) {
    FakeClock clock;
    std::vector<std::unique_ptr<SimulatedMouse>> mice;
    mice.push_back(std::make_unique<SimulatedMouse>(Variant::R210B, clock, 1));
    mice.push_back(std::make_unique<SimulatedMouse>(Variant::R210B, clock, 2));
    SimulatedMachine machine(std::move(mice));
    std::ostringstream trace;
    TracingBackend traced{machine, trace};
    DeviceLink link{traced};

    // Unchosen, the first mouse answers; chosen, the second, and the first hears nothing.
    ASSERT_GE(link.openFromTable(DeviceIdTable{}), 0);
    EXPECT_EQ(link.location().device, "simulated-1");
    link.reset();
    link.choose("simulated-2");
    const auto before = machine.mouse(0).image();
    ASSERT_GE(link.openFromTable(DeviceIdTable{}), 0);
    EXPECT_EQ(link.location().device, "simulated-2");
    std::array<std::uint8_t, 8> write{0x40, 0x05, 0x00, 0x2C, 0x07, 0x00, 0x00, 0x01};
    ASSERT_TRUE(link.setFeatureReport(link.commandHandle(), write));
    EXPECT_EQ(machine.mouse(1).image()[0x2C], 0x07);
    EXPECT_EQ(machine.mouse(0).image(), before);
    link.choose("simulated-3");
    EXPECT_LT(link.openFromTable(DeviceIdTable{}), 0);
}

TEST(HidrawLocation, TheDeviceIsThePhysicalPathWithoutItsInterface) {
    const struct {
        const char* name;
        const char* uevent;
        HidLocation expected;
    } cases[] = {
        {"usb mouse, serial",
         "DRIVER=hid-generic\nHID_ID=0003:00003A7E:00000C51\nHID_NAME=KRM\nHID_PHYS=usb-0000:00:14.0-2/"
         "input1\n"
         "HID_UNIQ=AB12\n",
         {"usb-0000:00:14.0-2", "AB12", "/dev/hidraw3"}},
        {"uhid mouse named by its server",
         "HID_PHYS=krm-uhid-mouse-2\nHID_UNIQ=\n",
         {"krm-uhid-mouse-2", "", "/dev/hidraw3"}},
        {"no physical path", "HID_NAME=x\n", {"hid-0003:3A7E:0C51.0004", "", "/dev/hidraw3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HidLocation got = hidrawLocation("/dev/hidraw3", c.uevent, "0003:3A7E:0C51.0004");
        EXPECT_EQ(got.device, c.expected.device);
        EXPECT_EQ(got.serial, c.expected.serial);
        EXPECT_EQ(got.node, c.expected.node);
    }
}

} // namespace
} // namespace krm
