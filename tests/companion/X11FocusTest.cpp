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

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krm {

namespace {

// A client window in a process of its own, running the helper under the name given.
class ClientWindow {
public:
    ClientWindow(const std::filesystem::path& program, const std::string& display) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::setenv("DISPLAY", display.c_str(), 1);
            ::execl(program.c_str(), program.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        if (!line.empty()) window_ = static_cast<std::uint32_t>(std::stoul(line));
    }
    ~ClientWindow() {
        if (stdin_ >= 0) ::close(stdin_); // the helper ends when its input closes
        int status = 0;
        if (pid_ > 0) ::waitpid(pid_, &status, 0);
    }
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    int pid() const { return pid_; }
    std::uint32_t window() const { return window_; }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::uint32_t window_ = 0;
};

// What a window manager does: names the focused window on the root window, or a property of its own.
class WindowManager {
public:
    explicit WindowManager(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~WindowManager() { xcb_disconnect(c_); }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    void set(const char* property, std::uint32_t type, std::uint32_t value) {
        auto* reply =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(property), property), nullptr);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, reply->atom, type, 32, 1, &value);
        std::free(reply);
        xcb_flush(c_);
    }
    void focus(std::uint32_t window) { set("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, window); }
    // A window of this process (as the configurator's own are to it).
    std::uint32_t ownWindow() {
        const std::uint32_t window = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char* name = "_NET_WM_PID";
        auto* reply = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, reply->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(reply);
        return window;
    }

private:
    xcb_connection_t* c_;
    std::uint32_t root_ = 0;
};

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
        game = std::make_unique<ClientWindow>(dir.path() / "quakespasm", xvfb.display());
        editor = std::make_unique<ClientWindow>(dir.path() / "gedit", xvfb.display());
        ASSERT_NE(game->window(), 0u);
        ASSERT_NE(editor->window(), 0u);
        wm = std::make_unique<WindowManager>(xvfb.display());
        source = X11FocusedProgram::connect(xvfb.display(), processes);
        ASSERT_TRUE(source);
    }

    test::PrivateXvfb xvfb;
    test::ScratchDir dir;
    ProcessTable processes;
    std::unique_ptr<ClientWindow> game, editor;
    std::unique_ptr<WindowManager> wm;
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
    // What the profile buttons write, from a session of its own.
    auto buttonWrites = [](Page page) {
        test::SessionRig button;
        button.session.connectNow();
        button.clearTrace();
        button.session.clickPage(page);
        return test::commandSummary(button.lines());
    };
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

} // namespace krm
