// krmctl gun with a button: only profile 2 holds guns, so it is made current first, as the window's
// Game Mode button makes it.

#include "CtlRun.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace krm::test {
namespace {

std::vector<std::string> imageWrites(const std::string& trace) {
    std::vector<std::string> lines;
    std::istringstream in(readText(trace));
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("set 40 05") || line.starts_with("set 40 07")) lines.push_back(line);
    return lines;
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

} // namespace
} // namespace krm::test
