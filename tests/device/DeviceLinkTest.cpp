#include "DeviceRig.h"

#include <gtest/gtest.h>

namespace krm {

using test::DeviceRig;

namespace {

SimInterface collection(const std::string& path, std::uint16_t vid, std::uint16_t pid, int feature) {
    return {path, {vid, pid, 1}, {8, feature}, true};
}

} // namespace

TEST(DeviceLink, CountsEveryInterfaceThatOpens) {
    DeviceRig rig;
    EXPECT_EQ(rig.link.countHidInterfaces(), 2); // the mouse's pointer and configuration collections
    rig.mouse.addInterface(SimulatedMouse::unrelatedInterface(1));
    auto locked = SimulatedMouse::unrelatedInterface(2);
    locked.openable = false;
    rig.mouse.addInterface(locked);
    EXPECT_EQ(rig.link.countHidInterfaces(), 3);
    rig.mouse.removeInterface("sim:other/1");
    rig.mouse.setAttached(false);
    EXPECT_EQ(rig.link.countHidInterfaces(), 0);
    EXPECT_FALSE(rig.link.openDevice(0x3A7E, 0x0C51));
    EXPECT_TRUE(rig.lines().empty());
}

TEST(DeviceLink, OpenProbesOnlyTheMousesEightByteCollection) {
    DeviceRig rig;
    rig.mouse.addInterface(collection("sim:other-vendor", 0x1209, 0x0C51, 8));
    rig.mouse.addInterface(collection("sim:same-ids-7", 0x3A7E, 0x0C51, 7));
    rig.mouse.addInterface(collection("sim:same-ids-9", 0x3A7E, 0x0C51, 9));

    ASSERT_TRUE(rig.link.openDevice(0x3A7E, 0x0C51));
    // One probe pair: the other vendor's and the 7- and 9-byte collections got no report at all.
    EXPECT_EQ(rig.lines(),
              (std::vector<std::string>{"set 40 0d 00 00 00 00 00 00", "get 41 45 3a 00 00 00 00 00"}));
    EXPECT_NE(rig.link.commandHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.queryHandle(), rig.link.commandHandle());
    EXPECT_NE(rig.link.inputHandle(), kInvalidHandle);
    EXPECT_NE(rig.link.inputHandle(), rig.link.commandHandle());
    EXPECT_EQ(rig.link.featureReportLength(), 8);
    EXPECT_EQ(rig.link.inputReportLength(), SimulatedMouse::kInputReportLength);
    EXPECT_EQ(rig.link.vendorId(), 0x3A7Eu);
}

TEST(DeviceLink, WrongReportLengthIsNotTheMouse) {
    DeviceRig rig;
    rig.mouse.setAttached(false);
    rig.mouse.addInterface(collection("sim:same-ids-7", 0x3A7E, 0x0C51, 7));
    rig.mouse.addInterface(collection("sim:same-ids-9", 0x3A7E, 0x0C51, 9));
    EXPECT_FALSE(rig.link.openDevice(0x3A7E, 0x0C51));
    EXPECT_EQ(rig.link.inputHandle(), kInvalidHandle);
}

TEST(DeviceLink, MatchThatRefusesBothProbesStillOpens) {
    DeviceRig rig;
    rig.mouse.setAttached(false);
    rig.mouse.addInterface(collection("sim:silent", 0x3A7E, 0x0C51, 8)); // answers no feature report
    EXPECT_TRUE(rig.link.openDevice(0x3A7E, 0x0C51));
    EXPECT_EQ(rig.link.commandHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.queryHandle(), kInvalidHandle);
    EXPECT_NE(rig.link.inputHandle(), kInvalidHandle);
    EXPECT_EQ(rig.lines(),
              (std::vector<std::string>{"set 40 0d 00 00 00 00 00 00 !", "get 41 00 00 00 00 00 00 00 !"}));
}

TEST(DeviceLink, TableEntriesAreTriedInOrderSkippingZeros) {
    DeviceRig rig;
    DeviceIdTable table;
    table.entries[0] = {0x1111, 0}; // skipped: no product id
    table.entries[1] = {0x3A7E, 0x0C51};
    EXPECT_EQ(rig.link.openFromTable(table), 1);
    EXPECT_EQ(rig.lines().size(), 2u); // only the probes of the entry that was tried

    std::vector<std::uint8_t> image = {0x3A, 0x7E, 0x0C, 0x51};
    table.setEntry1FromImage(image);
    EXPECT_EQ(table.entries[1].vendorId, 0x3A7Eu);
    EXPECT_EQ(table.entries[1].productId, 0x0C51u);

    rig.link.reset();
    EXPECT_EQ(rig.link.commandHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.inputHandle(), kInvalidHandle);
    EXPECT_EQ(rig.link.vendorId(), 0u);
}

} // namespace krm
