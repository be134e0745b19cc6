// krmctl gun with a button: only profile 2 holds guns, so it is made current first, as the window's
// Game Mode button makes it.

#include "CtlRun.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace krm::test {
namespace {

std::vector<std::string> imageWrites(const std::string& trace) {
    std::vector<std::string> writes;
    for (const std::string& line : traceLines(readText(trace)))
        if (line.starts_with("set 40 05") || line.starts_with("set 40 07")) writes.push_back(line);
    return writes;
}

TEST(GunCommand, AButtonOfProfileTwoIsGivenTheGunWithProfileTwoCurrent) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), trace = dir.file("t.log");
    ASSERT_EQ(ctl({"--sim-image", mouse, "restore", "2"}).rc, 0); // profile 1 is current

    const CtlResult first =
        ctl({"--sim-image", mouse, "--trace", trace, "gun", "3", "--macros", "1", "--button", "4"});
    ASSERT_EQ(first.rc, 0) << first.err;
    EXPECT_EQ(first.out, "profile 2 (Game Mode) is the mouse's current profile now\n"
                         "profile 2 button 4: 0B020100 (M4 Fire)\n");
    const auto writes = imageWrites(trace);
    ASSERT_GT(writes.size(), 5u);
    // The Game Mode button's five writes come first, 0xA4 last.
    const std::vector<std::string> gameMode(writes.begin(), writes.begin() + 5);
    EXPECT_EQ(gameMode,
              (std::vector<std::string>{"set 40 05 00 a7 00 00 00 01", "set 40 05 00 a8 0f 00 00 01",
                                        "set 40 05 00 a9 00 00 00 01", "set 40 05 00 aa 18 00 00 01",
                                        "set 40 05 00 a4 01 00 00 01"}));

    // With profile 2 current, nothing is said of it and no profile write is sent.
    std::filesystem::remove(trace);
    const CtlResult second =
        ctl({"--sim-image", mouse, "--trace", trace, "gun", "3", "--macros", "1", "--button", "5"});
    ASSERT_EQ(second.rc, 0) << second.err;
    EXPECT_EQ(second.out, "profile 2 button 5: 0B020100 (M4 Fire)\n");
    EXPECT_NE(imageWrites(trace).front(), "set 40 05 00 a7 00 00 00 01");
}

TEST(GunCommand, NoiseOfTheConnectionsReadIsNeverWrittenBack) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), trace = dir.file("t.log");
    ASSERT_EQ(ctl({"--sim-image", mouse, "--trace", trace, "dump"}).rc, 0);
    const std::size_t connection = reportsIn(trace); // identification and the whole-image read
    const auto before = fileBytes(mouse);
    // Noise in the read's last two fetches: the end of the fire-macro area, which no checksum covers.
    const CtlResult noisy = ctl({"--sim-image", mouse, "--sim-fault",
                                 "garbage@" + std::to_string(connection - 2), "gun", "6", "--macros", "1"});
    EXPECT_EQ(noisy.rc, ctl::kTransfer) << noisy.err;
    EXPECT_EQ(noisy.out, "");
    EXPECT_EQ(fileBytes(mouse), before) << "nothing was written from the noisy read";
    // A clean run afterwards leaves what the same run leaves on a mouse that never met the noise.
    ASSERT_EQ(ctl({"--sim-image", mouse, "gun", "6", "--macros", "1"}).rc, 0);
    const std::string clean = dir.file("clean.bin");
    ASSERT_EQ(ctl({"--sim-image", clean, "gun", "6", "--macros", "1"}).rc, 0);
    EXPECT_EQ(fileBytes(mouse), fileBytes(clean));
}

TEST(FireCommand, EveryWayToASlotTakesTheRepeatsTheImageHolds) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), file = dir.file("s.ini");
    CtlResult r = ctl({"--sim-image", mouse, "fire", "slot", "2", "--repeat", "16", "--interval", "60"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(ctl({"--sim-image", mouse, "fire"}).out.find("fire key 2: repeat 16, interval 60 ms"),
              std::string::npos);
    ASSERT_EQ(ctl({"--sim-image", mouse, "export", file}).rc, 0);
    EXPECT_NE(readText(file).find("slot2-repeat = 16\n"), std::string::npos);
    r = ctl({"--sim-image", mouse, "fire", "slot", "2", "--repeat", "17", "--interval", "60"});
    EXPECT_EQ(r.rc, ctl::kUsage);
    EXPECT_NE(r.err.find("--repeat is 1..16, not '17'"), std::string::npos) << r.err;
}

} // namespace
} // namespace krm::test
