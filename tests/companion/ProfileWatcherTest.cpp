#include "companion/ProfileWatcher.h"
#include "companion/Processes.h"
#include "companion/SessionProfiles.h"
#include "support/SessionRig.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace krm {

using test::ScratchDir;

namespace {

// A /proc folder of our own: each process a folder with its `exe` link and `cmdline`.
struct FakeProc {
    ScratchDir dir;
    void add(int pid, const std::string& exe, const std::string& argv0) {
        const auto folder = dir.path() / std::to_string(pid);
        std::filesystem::create_directories(folder);
        std::filesystem::create_symlink(exe, folder / "exe");
        std::ofstream(folder / "cmdline", std::ios::binary) << argv0 << '\0' << "--some-option" << '\0';
    }
    void remove(int pid) { std::filesystem::remove_all(dir.path() / std::to_string(pid)); }
    std::string root() const { return dir.path().string(); }
};

// The focused program, set by the test as a window manager would move the focus.
struct FocusSource final : ProgramSource {
    std::vector<ProgramInfo> focused;
    int asked = 0;
    int interval = 0;
    std::string description() const override { return "focus"; }
    std::vector<ProgramInfo> programs() override {
        ++asked;
        return focused;
    }
    int pollIntervalMs() const override { return interval; }
};

// A mouse whose profile the test reads; it can refuse the writes or be away.
struct Mouse final : ProfileSwitch {
    std::optional<int> profile = 1;
    bool refuses = false;
    std::vector<int> writes;
    std::optional<int> current() const override { return profile; }
    bool select(int p) override {
        writes.push_back(p);
        if (refuses || !profile) return false;
        profile = p;
        return true;
    }
};

const ProgramInfo kGame{4242, "/opt/games/quake/quakespasm", "quakespasm"};
const ProgramInfo kEditor{77, "/usr/bin/gedit", "gedit"};

// A watcher on virtual time with the rules "quakespasm = 3", default 1.
struct WatchRig {
    explicit WatchRig(const std::string& rulesText = "[Rules]\nquakespasm = 3\n") {
        std::ofstream(rules.path()) << rulesText;
        watcher.decided = [this](const WatchDecision& d) { log.push_back(describe(d)); };
    }
    // Moves the clock to `ms` after the start and runs what is due on the way, as the callers do.
    void runUntil(std::uint64_t ms) {
        while (auto next = watcher.nextUpdateMs()) {
            if (*next > ms) break;
            clock.advanceUs((*next - clock.tickMs()) * 1000);
            watcher.update();
        }
        clock.advanceUs((ms - clock.tickMs()) * 1000);
    }
    void focus(const std::vector<ProgramInfo>& programs) {
        source.focused = programs;
        watcher.update();
    }

    ScratchDir dir;
    RulesFile rules{dir.file("profiles.ini")};
    FocusSource source;
    Mouse mouse;
    FakeClock clock;
    ProfileWatcher watcher{rules, source, mouse, clock};
    std::vector<std::string> log;
};

} // namespace

TEST(ProcessTable, ReadsTheExecutablesOfAProcFolder) {
    FakeProc proc;
    proc.add(4242, "/opt/games/quake/quakespasm", "quakespasm");
    proc.add(300, "/usr/lib/wine/wine64-preloader", "C:\\Games\\Game.exe");
    proc.add(12, "/usr/bin/updated (deleted)", "updated");
    std::filesystem::create_directories(proc.dir.path() / "2"); // a kernel thread: no exe link
    std::filesystem::create_directories(proc.dir.path() / "self");
    const ProcessTable table(proc.root());

    const auto all = table.programs();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].pid, 12);
    EXPECT_EQ(all[0].exe, "/usr/bin/updated");
    EXPECT_EQ(all[1].argv0, "C:\\Games\\Game.exe");
    EXPECT_EQ(all[2].name(), "quakespasm");
    EXPECT_FALSE(table.program(2));
    EXPECT_FALSE(table.program(99));

    // A process that runs another program (exec) is read again: its command line with it.
    proc.remove(300);
    proc.add(300, "/usr/bin/steam", "steam");
    EXPECT_EQ(table.program(300)->argv0, "steam");
}

TEST(ProfileWatcher, SwitchesOnceTheGameHeldTheFocusASecondAndBackWhenItLeaves) {
    WatchRig rig;
    rig.focus({kEditor});
    EXPECT_FALSE(rig.watcher.nextUpdateMs()); // nothing to wait for: the default is wanted
    rig.runUntil(5000);
    rig.focus({kGame});
    EXPECT_EQ(rig.watcher.nextUpdateMs(), 6000u);
    rig.runUntil(5999);
    EXPECT_TRUE(rig.mouse.writes.empty());
    rig.runUntil(6000);
    EXPECT_EQ(rig.mouse.writes, std::vector<int>{3});
    rig.runUntil(9000);
    rig.focus({});
    rig.runUntil(10000);
    EXPECT_EQ(rig.mouse.writes, (std::vector<int>{3, 1}));
    EXPECT_EQ(rig.log,
              (std::vector<std::string>{"quakespasm (pid 4242, rule 'quakespasm'): profile 3 written",
                                        "no rule matches: default profile 1 written"}));
}

TEST(ProfileWatcher, PassingThroughAWindowSwitchesNothing) {
    WatchRig rig;
    rig.focus({kEditor});
    rig.runUntil(1000);
    rig.focus({kGame});
    rig.runUntil(1900);
    rig.focus({kEditor});
    rig.runUntil(10000);
    EXPECT_TRUE(rig.mouse.writes.empty());
    EXPECT_TRUE(rig.log.empty());
    // Nor does a game started while its profile is current already write anything.
    rig.mouse.profile = 3;
    rig.focus({kGame});
    rig.runUntil(12000);
    EXPECT_TRUE(rig.mouse.writes.empty());
    EXPECT_EQ(rig.log.back(), "quakespasm (pid 4242, rule 'quakespasm'): profile 3 is current already");
}

TEST(ProfileWatcher, AProfileChosenByHandIsKeptForAMinute) {
    // The user chooses profile 2 on the desktop; a game taken up 10 s later waits for the minute's end.
    WatchRig rig;
    rig.focus({kEditor});
    rig.runUntil(1000);
    rig.mouse.profile = 2;
    rig.watcher.chosenByHand(2);
    rig.runUntil(11000);
    rig.focus({kGame});
    rig.runUntil(12000);
    EXPECT_TRUE(rig.mouse.writes.empty());
    EXPECT_EQ(rig.log.back(), "quakespasm (pid 4242, rule 'quakespasm'): profile 3 waits, a profile chosen "
                              "by hand is kept 49 s more");
    EXPECT_EQ(rig.watcher.nextUpdateMs(), 61000u);
    rig.runUntil(60999);
    EXPECT_TRUE(rig.mouse.writes.empty());
    rig.runUntil(61000);
    EXPECT_EQ(rig.mouse.writes, std::vector<int>{3});

    // In the game the user chooses profile 1 by hand: that choice stays after the minute too, until the
    // game is left.
    rig.mouse.profile = 1;
    rig.watcher.chosenByHand(1);
    rig.runUntil(200000);
    EXPECT_EQ(rig.mouse.writes, std::vector<int>{3});
    rig.focus({kEditor});
    rig.runUntil(201000);
    EXPECT_EQ(rig.log.back(), "no rule matches: default profile 1 is current already");
    rig.focus({kGame});
    rig.runUntil(203000);
    EXPECT_EQ(rig.mouse.writes, (std::vector<int>{3, 3}));
}

TEST(ProfileWatcher, AWriteThatFailedIsMadeAtTheNextDecision) {
    WatchRig rig;
    rig.mouse.refuses = true;
    rig.focus({kGame});
    rig.runUntil(1000);
    EXPECT_EQ(rig.log.back(),
              "quakespasm (pid 4242, rule 'quakespasm'): profile 3 not written, the mouse did "
              "not take every write (tried again at the next decision)");
    rig.mouse.refuses = false;
    rig.watcher.mouseFound(); // the mouse came back and was read: the write is due at once
    EXPECT_EQ(rig.watcher.nextUpdateMs(), 1000u);
    rig.watcher.update();
    EXPECT_EQ(rig.mouse.writes, (std::vector<int>{3, 3}));
    EXPECT_EQ(rig.mouse.profile, 3);
    rig.watcher.mouseFound(); // nothing is left to make up for
    EXPECT_FALSE(rig.watcher.nextUpdateMs());
    rig.watcher.update();
    EXPECT_EQ(rig.mouse.writes.size(), 2u);

    // No mouse at all: the decision waits for one.
    rig.mouse.profile.reset();
    rig.focus({});
    rig.runUntil(3000);
    EXPECT_EQ(rig.log.back(),
              "no rule matches: default profile 1 not written, no mouse (written when one is found)");
    rig.mouse.profile = 3;
    rig.watcher.mouseFound();
    rig.watcher.update();
    EXPECT_EQ(rig.mouse.profile, 1);
}

TEST(ProfileWatcher, RunningProgramsAreScannedEveryTwoSecondsWhileThereAreRules) {
    FakeProc proc;
    proc.add(100, "/usr/bin/bash", "bash");
    const ProcessTable table(proc.root());
    RunningPrograms running(table);
    ScratchDir dir;
    RulesFile rules(dir.file("profiles.ini"));
    Mouse mouse;
    FakeClock clock;
    ProfileWatcher watcher(rules, running, mouse, clock);

    watcher.update();
    EXPECT_EQ(watcher.nextUpdateMs(), 2000u); // the rules file is looked at again
    std::ofstream(rules.path()) << "[Default]\nProfile = 2\n[Rules]\n*.exe = 3\n";
    clock.advanceUs(2000 * 1000);
    watcher.update();
    // The new default, asked for by an edit of the file: written once it has held a quarter second.
    EXPECT_EQ(watcher.wantedProfile(), 2);
    EXPECT_EQ(watcher.nextUpdateMs(), 2000u + ProfileWatcher::kRulesSettleMs);
    clock.advanceUs(ProfileWatcher::kRulesSettleMs * 1000);
    watcher.update();
    EXPECT_EQ(mouse.writes, std::vector<int>{2});

    proc.add(4000, "/usr/lib/wine/wine64-preloader", "C:\\Games\\Game.exe");
    EXPECT_EQ(watcher.nextUpdateMs(), 4250u);
    clock.advanceUs(2000 * 1000);
    watcher.update();
    EXPECT_EQ(watcher.wantedProfile(), 3);
    EXPECT_EQ(watcher.nextUpdateMs(), 5250u); // a program's settling second comes before the next scan
    clock.advanceUs(1000 * 1000);
    watcher.update();
    EXPECT_EQ(mouse.writes, (std::vector<int>{2, 3}));
}

TEST(ProfileWatcher, NoRulesAsksTheSourceNothing) {
    WatchRig rig("");
    rig.source.interval = 2000;
    rig.focus({kGame});
    rig.runUntil(60000);
    EXPECT_EQ(rig.source.asked, 0);
    EXPECT_TRUE(rig.mouse.writes.empty());
}

TEST(ProfileWatcher, TheSessionWritesWhatTheProfileButtonWrites) {
    // The watcher's switch and the window's Third Mode button send the same reports.
    test::SessionRig button, watched;
    ASSERT_TRUE(button.session.connectNow());
    ASSERT_TRUE(watched.session.connectNow());
    button.clearTrace();
    ASSERT_EQ(button.session.clickPage(Page::Profile3), Session::PageClick::Shown);

    WatchRig rig;
    SessionProfileSwitch mouse(watched.session);
    ProfileWatcher watcher(rig.rules, rig.source, mouse, watched.clock);
    watcher.update();
    watched.clearTrace();
    rig.source.focused = {kGame};
    watcher.update();
    watched.clock.advanceUs(1000 * 1000);
    watcher.update();
    EXPECT_EQ(test::commandSummary(watched.lines()), test::commandSummary(button.lines()));
    EXPECT_EQ(watched.session.mouseProfile(), 3);
    EXPECT_EQ(watched.mouse.image()[0xA4] & 0x0F, 2);
}

} // namespace krm
