// krmctl among several mice and other programs: --device chooses, a write never guesses, a mouse
// another program holds is waited for, and a profile byte a cut write left behind is mended.

#include "ctl/CtlRun.h"
#include "device/DeviceLock.h"
#include "device/SimulatedMouse.h"
#include "image/ImageLayout.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using test::ctl;

struct TwoMice {
    test::ScratchDir dir;
    std::string a = dir.file("a.bin"), b = dir.file("b.bin"), trace = dir.file("trace");
    std::vector<std::string> with(std::vector<std::string> args) const {
        std::vector<std::string> all = {"--sim-image", a, "--sim-image", b, "--trace", trace};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
};

TEST(SeveralMice, ListedWithTheirIdsAndNodesAndChosenByIdNodeOrNumber) {
    TwoMice m;
    const auto list = ctl(m.with({"list"}));
    ASSERT_EQ(list.rc, ctl::kOk) << list.err;
    EXPECT_NE(list.out.find("2 mice attached:\n  1  simulated-1  " + m.a), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("  2  simulated-2  " + m.b), std::string::npos) << list.out;

    for (const std::string& choice : {std::string("2"), std::string("simulated-2"), m.b}) {
        SCOPED_TRACE(choice);
        const auto info = ctl(m.with({"--device", choice, "info"}));
        ASSERT_EQ(info.rc, ctl::kOk) << info.err;
        EXPECT_NE(info.out.find("id:         simulated-2\nnode:       " + m.b), std::string::npos)
            << info.out;
        EXPECT_EQ(info.err, "");
    }
    const auto none = ctl(m.with({"--device", "3", "info"}));
    EXPECT_EQ(none.rc, ctl::kNoMouse);
    EXPECT_NE(none.err.find("--device 3 names none of the attached mice"), std::string::npos) << none.err;

    // A read without a choice goes to the first and says so.
    const auto read = ctl(m.with({"dpi"}));
    ASSERT_EQ(read.rc, ctl::kOk);
    EXPECT_NE(read.err.find("2 mice are attached; this is simulated-1 (" + m.a + ")"), std::string::npos)
        << read.err;
}

TEST(SeveralMice, AWriteGoesToTheChosenMouseOnlyAndIsRefusedWithoutAChoice) {
    TwoMice m;
    ASSERT_EQ(ctl(m.with({"info"})).rc, ctl::kOk); // both files made
    const auto a = test::fileBytes(m.a), b = test::fileBytes(m.b);
    std::remove(m.trace.c_str());

    const auto refused = ctl(m.with({"dpi", "set", "2", "2400"}));
    EXPECT_EQ(refused.rc, ctl::kUsage);
    EXPECT_NE(refused.err.find("dpi set: 2 mice are attached; say which one with --device"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(test::reportsIn(m.trace), 0u) << "nothing sent to either";

    ASSERT_EQ(ctl(m.with({"--device", "2", "dpi", "set", "2", "2400"})).rc, ctl::kOk);
    EXPECT_EQ(test::fileBytes(m.a), a);
    EXPECT_NE(test::fileBytes(m.b), b);
    const auto shown = ctl(m.with({"--device", "2", "dpi"}));
    EXPECT_NE(shown.out.find("2: 2400"), std::string::npos) << shown.out;
}

TEST(HeldMouse, KrmctlWaitsItsTurnAndGivesUpWithTheHolderNamed) {
    test::ScratchDir dir;
    const std::string image = dir.file("m.bin"), trace = dir.file("trace");
    ASSERT_EQ(ctl({"--sim-image", image, "info"}).rc, ctl::kOk);
    DeviceLock::Outcome outcome{};
    auto held = DeviceLock::tryTake(image, outcome);
    ASSERT_TRUE(held);

    FakeClock clock;
    const auto r = ctl({"--sim-image", image, "--trace", trace, "dpi", "set", "1", "1600"}, &clock);
    EXPECT_EQ(r.rc, ctl::kBusy);
    EXPECT_NE(r.err.find("the mouse is in use by "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("waiting for it (at most 30 s)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("still in use"), std::string::npos) << r.err;
    EXPECT_GE(clock.tickMs(), 30000u);
    EXPECT_EQ(test::reportsIn(trace), 0u);

    held.reset();
    EXPECT_EQ(ctl({"--sim-image", image, "dpi", "set", "1", "1600"}).rc, ctl::kOk);
}

TEST(CutProfileByte, AReadReportsItAndAWriteMendsItFirst) {
    test::ScratchDir dir;
    const std::string image = dir.file("m.bin");
    auto bytes = SimulatedMouse::startImage(Variant::R210B);
    bytes[image::kUserOffset] = 0x0F; // left by a profile rewrite cut after its first write to 0xA4
    bytes[image::kUserOffset + image::kUserLength - 1] =
        sectionChecksum(std::span<const std::uint8_t>(bytes.data() + image::kUserOffset, image::kUserLength));
    test::putFile(image, bytes);

    const auto read = ctl({"--sim-image", image, "profile"});
    EXPECT_EQ(read.rc, ctl::kOk);
    EXPECT_NE(read.err.find("current-profile byte (0xA4) holds 0F, no profile"), std::string::npos)
        << read.err;
    EXPECT_EQ(test::fileBytes(image)[image::kUserOffset], 0x0F) << "a read writes nothing";

    const auto write = ctl({"--sim-image", image, "dpi", "set", "1", "1600"});
    EXPECT_EQ(write.rc, ctl::kOk) << write.err;
    EXPECT_NE(write.err.find("profile 3 was made current again"), std::string::npos) << write.err;
    EXPECT_EQ(test::fileBytes(image)[image::kUserOffset] & 0x0F, 2);
    EXPECT_EQ(ctl({"--sim-image", image, "profile"}).err, "");
}

} // namespace
} // namespace krm
