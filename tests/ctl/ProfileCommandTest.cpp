// krmctl profile on the simulated mouse: the same writes as the window's profile buttons, the exit code
// when the mouse does not take them, and nothing sent for a bad argument.

#include "CtlRun.h"

#include "support/SessionRig.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace krm::test {

TEST(ProfileCommand, WritesWhatTheProfileButtonWrites) {
    ScratchDir dir;
    const std::string image = dir.file("mouse.bin"), trace = dir.file("trace.log");
    const CtlResult shown = ctl({"--sim-image", image, "profile"});
    ASSERT_EQ(shown.rc, 0) << shown.err;
    EXPECT_EQ(shown.out, "Profile 1 (Office Mode) is current.\n");

    for (int profile : {3, 2}) {
        SCOPED_TRACE(profile);
        std::filesystem::remove(trace);
        const CtlResult r = ctl({"--sim-image", image, "--trace", trace, "profile", std::to_string(profile)});
        ASSERT_EQ(r.rc, 0) << r.err;
        EXPECT_EQ(r.out, profile == 3 ? "Profile 3 (Third Mode) is current.\n"
                                      : "Profile 2 (Game Mode) is current.\n");
        SessionRig button;
        ASSERT_TRUE(button.session.connectNow());
        button.clearTrace();
        button.session.clickPage(static_cast<Page>(profile));
        // After the connection's read, krmctl sends exactly what the button sends.
        const auto sent = commandSummary(traceLines(readText(trace)));
        const auto wanted = commandSummary(button.lines());
        ASSERT_GE(sent.size(), wanted.size());
        EXPECT_EQ(
            std::vector<std::string>(sent.end() - static_cast<std::ptrdiff_t>(wanted.size()), sent.end()),
            wanted);
    }
    EXPECT_EQ(ctl({"--sim-image", image, "profile"}).out, "Profile 2 (Game Mode) is current.\n");
}

TEST(ProfileCommand, AWriteTheMouseRefusesEndsWithExitCode5) {
    const CtlResult r = ctl({"--simulate", "--sim-fault", "refuse-05", "profile", "2"});
    EXPECT_EQ(r.rc, 5);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("did not take every write of profile 2"), std::string::npos) << r.err;
}

TEST(ProfileCommand, BadArgumentsSendNothing) {
    ScratchDir dir;
    const std::string trace = dir.file("trace.log");
    const std::vector<std::vector<std::string>> bad = {{"profile", "4"},     {"profile", "0"},
                                                       {"profile", "two"},   {"profile", "1", "2"},
                                                       {"watch", "--rules"}, {"watch", "--dry"}};
    for (const auto& args : bad) {
        std::vector<std::string> line = {"--simulate", "--trace", trace};
        line.insert(line.end(), args.begin(), args.end());
        const CtlResult r = ctl(line);
        EXPECT_EQ(r.rc, ctl::kUsage) << args.back();
        EXPECT_EQ(readText(trace), "") << args.back();
    }
    // The argument named is the one that is wrong.
    EXPECT_NE(ctl({"--simulate", "profile", "1", "2"}).err.find("not also '2'"), std::string::npos);
    EXPECT_NE(ctl({"--simulate", "profile", "two"}).err.find("not 'two'"), std::string::npos);
}

} // namespace krm::test
