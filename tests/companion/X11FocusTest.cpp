// The focused window's program under a private Xvfb: two client windows of two processes (copies of
// one helper under the names of a game and an editor), the focus moved as a window manager moves it
// (_NET_ACTIVE_WINDOW on the root window), the watcher's switches seen in the protocol trace.
// Skipped when Xvfb is not installed.

#include "companion/X11Focus.h"
#include "companion/Processes.h"
#include "companion/ProfileWatcher.h"
#include "companion/SessionProfiles.h"
#include "support/PrivateXvfb.h"
#include "support/SessionRig.h"
#include "support/TempDir.h"
#include "support/X11Desktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krm {

namespace {

// What the profile buttons write, from a session of its own.
std::vector<std::string> buttonWrites(Page page) {
    test::SessionRig button;
    button.session.connectNow();
    button.clearTrace();
    button.session.clickPage(page);
    return test::commandSummary(button.lines());
}

// Waits (up to 10 s) for the source's descriptor and takes its events.
bool takeEvents(ProgramSource& source) {
    pollfd p{source.eventDescriptor(), POLLIN, 0};
    return ::poll(&p, 1, 10000) == 1 && source.takeEvents();
}

struct X11FocusTest : ::testing::Test {
    void SetUp() override {
        if (xvfb.display().empty()) GTEST_SKIP() << "Xvfb is not installed or did not start";
        for (const char* name : {"quakespasm", "gedit"}) {
            std::filesystem::copy_file(KRM_X11_WINDOW, dir.path() / name);
            std::filesystem::permissions(dir.path() / name, std::filesystem::perms::owner_all);
        }
        game = std::make_unique<test::ClientWindow>(dir.file("quakespasm"), xvfb.display());
        editor = std::make_unique<test::ClientWindow>(dir.file("gedit"), xvfb.display());
        ASSERT_NE(game->window(), 0u);
        ASSERT_NE(editor->window(), 0u);
        wm = std::make_unique<test::X11Desktop>(xvfb.display());
        source = X11FocusedProgram::connect(xvfb.display(), processes);
        ASSERT_TRUE(source);
    }

    test::PrivateXvfb xvfb;
    test::ScratchDir dir;
    ProcessTable processes;
    std::unique_ptr<test::ClientWindow> game, editor;
    std::unique_ptr<test::X11Desktop> wm;
    std::unique_ptr<X11FocusedProgram> source;
};

} // namespace

TEST_F(X11FocusTest, TheFocusedWindowNamesItsProgram) {
    EXPECT_EQ(source->focusedPid(), 0);
    EXPECT_TRUE(source->programs().empty());

    wm->focus(game->window());
    ASSERT_TRUE(takeEvents(*source));
    EXPECT_EQ(source->focusedWindow(), game->window());
    EXPECT_EQ(source->focusedPid(), game->pid());
    const auto programs = source->programs();
    ASSERT_EQ(programs.size(), 1u);
    EXPECT_EQ(programs[0].exe, (dir.path() / "quakespasm").string());

    wm->focus(editor->window());
    ASSERT_TRUE(takeEvents(*source));
    EXPECT_EQ(source->programs().at(0).name(), "gedit");

    // Another root property wakes the source but moves nothing, nor does a window of this process (the
    // configurator's own); the desktop taking the focus clears it.
    wm->set("_NET_CLIENT_LIST", XCB_ATOM_WINDOW, game->window());
    EXPECT_FALSE(takeEvents(*source));
    wm->focus(wm->ownWindow());
    EXPECT_FALSE(takeEvents(*source));
    EXPECT_EQ(source->focusedPid(), editor->pid());
    wm->focus(0);
    ASSERT_TRUE(takeEvents(*source));
    EXPECT_TRUE(source->programs().empty());
}

TEST_F(X11FocusTest, FocusingAGameWritesItsProfileAndLeavingItTheDefault) {
    test::SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    std::ofstream(dir.file("profiles.ini")) << "[Default]\nProfile = 2\n[Rules]\nquakespasm = 3\n";
    RulesFile rules(dir.file("profiles.ini"));
    SessionProfileSwitch mouse(rig.session);
    ProfileWatcher watcher(rules, *source, mouse, rig.clock);
    WatcherSessionLink link(rig.session, watcher, mouse);
    std::vector<std::string> log;
    watcher.decided = [&log](const WatchDecision& d) { log.push_back(describe(d)); };
    watcher.update();
    rig.clearTrace();

    auto focusFor = [&](std::uint32_t window, std::uint64_t ms) {
        wm->focus(window);
        EXPECT_TRUE(takeEvents(*source));
        watcher.update();
        rig.clock.advanceUs(ms * 1000);
        watcher.update();
    };
    focusFor(game->window(), 1000);
    EXPECT_EQ(test::commandSummary(rig.lines()), buttonWrites(Page::Profile3));
    EXPECT_EQ(rig.session.mouseProfile(), 3);
    rig.clearTrace();
    focusFor(editor->window(), 1000);
    EXPECT_EQ(test::commandSummary(rig.lines()), buttonWrites(Page::Profile2));
    EXPECT_EQ(log, (std::vector<std::string>{"quakespasm (pid " + std::to_string(game->pid()) +
                                                 ", rule 'quakespasm'): profile 3 written",
                                             "no rule matches: default profile 2 written"}));

    // The user picks profile 1 on the window: the game taken up now does not take it away for a minute.
    ASSERT_EQ(rig.session.clickPage(Page::Profile1), Session::PageClick::Shown);
    rig.clearTrace();
    focusFor(game->window(), 1000);
    EXPECT_TRUE(rig.lines().empty());
    EXPECT_EQ(log.back(),
              "quakespasm (pid " + std::to_string(game->pid()) +
                  ", rule 'quakespasm'): profile 3 waits, a profile chosen by hand is kept 59 s more");
    rig.clock.advanceUs(59000 * 1000);
    watcher.update();
    EXPECT_EQ(test::commandSummary(rig.lines()), buttonWrites(Page::Profile3));

    // The mouse's own profile button counts as a choice by hand too.
    rig.clearTrace();
    auto image = rig.mouse.image();
    image[image::kUserOffset] = 0x01; // the mouse switched itself to profile 2
    rig.mouse.setImage(image);
    rig.session.buttonEvents().onInputReport(std::vector<std::uint8_t>{0x42, 0, 0, 0x08, 0, 0, 0, 0});
    rig.session.buttonEvents().onInputReport(std::vector<std::uint8_t>{0x42, 0, 0, 0x00, 0, 0, 0, 0});
    rig.ui.runQueued();
    EXPECT_EQ(rig.session.mouseProfile(), 2);
    EXPECT_EQ(log.back(), "profile 2 chosen by hand: kept for a minute");
    focusFor(editor->window(), 1000);
    EXPECT_TRUE(test::writesOf(test::commandSummary(rig.lines())).empty());
}

TEST_F(X11FocusTest, AnEditOfTheRulesFileWithTheFocusHeldTakesEffectWithinASecond) {
    test::SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    // The rules file is not there yet, nor its folder: it is made while the watcher runs.
    const std::string path = dir.file("config/krm/profiles.ini");
    RulesFile rules(path);
    SessionProfileSwitch mouse(rig.session);
    ProfileWatcher watcher(rules, *source, mouse, rig.clock);
    std::vector<std::string> log;
    watcher.decided = [&log](const WatchDecision& d) { log.push_back(describe(d)); };
    wm->focus(game->window());
    ASSERT_TRUE(takeEvents(*source));
    watcher.update();
    rig.clock.advanceUs(5000 * 1000); // the game has held the focus a while: nothing to do without rules
    watcher.update();
    rig.clearTrace();

    // Each edit is told by the file's watch at once (the kernel's event; no clock is waited on), and the
    // profile it asks for is written within a second of the watcher's time, the focus never moving.
    auto edit = [&](const std::function<void()>& save, bool switches = true) {
        save();
        pollfd p{rules.changeDescriptor(), POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 5000), 1);
        EXPECT_TRUE(rules.takeChanges());
        watcher.update();
        const auto due = watcher.nextUpdateMs();
        EXPECT_EQ(due.has_value(), switches);
        if (due) {
            EXPECT_LT(*due - rig.clock.tickMs(), 1000u);
        }
        rig.clock.advanceUs(999 * 1000);
        watcher.update();
        const auto lines = test::commandSummary(rig.lines());
        rig.clearTrace();
        return lines;
    };
    // Created as an editor saves: a new file renamed into place.
    EXPECT_EQ(edit([&] {
                  std::filesystem::create_directories(dir.file("config/krm"));
                  std::ofstream(path + ".new") << "[Rules]\nquakespasm = 3\n";
                  std::filesystem::rename(path + ".new", path);
              }),
              buttonWrites(Page::Profile3));
    // Edited in place.
    EXPECT_EQ(edit([&] { std::ofstream(path) << "[Rules]\nquakespasm = 2\n"; }),
              buttonWrites(Page::Profile2));
    EXPECT_EQ(log.back(),
              "quakespasm (pid " + std::to_string(game->pid()) + ", rule 'quakespasm'): profile 2 written");
    // Turned into a folder: the rules read last stay, nothing is written mid-game.
    EXPECT_TRUE(edit(
                    [&] {
                        std::filesystem::remove(path);
                        std::filesystem::create_directory(path);
                    },
                    false)
                    .empty());
    EXPECT_EQ(rig.session.mouseProfile(), 2);
    EXPECT_NE(rules.error().find("The rules read before stay."), std::string::npos);
}

} // namespace krm
