// The background companion under a private Xvfb and session bus (with a recording tray and notification
// server), the simulated mouse attached and a rule for a game: how long a focus change takes to reach
// the mouse (the window manager's _NET_ACTIVE_WINDOW set, until the current-profile write is in the
// protocol trace), then its CPU time over an idle stretch and its peak memory, beside the peak memory of
// the window's own start-up in the same X server; then the CPU time when the running programs are
// scanned instead (a Wayland session).
//
//   krm_bench_companion [--idle SECONDS] [--switches N]

#include "companion/Processes.h"
#include "StartupBench.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using krm::bench::besideThisProgram;
using krm::bench::Spread;
using krm::bench::spread;

// A child process whose first output line is read; its input stays open until it is ended.
struct Child {
    pid_t pid = -1;
    int in = -1;
    int out = -1;

    static Child start(const std::vector<std::string>& argv, bool quiet = false) {
        int inPipe[2], outPipe[2];
        Child c;
        if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0) return c;
        c.pid = ::fork();
        if (c.pid == 0) {
            ::dup2(inPipe[0], STDIN_FILENO);
            ::dup2(outPipe[1], STDOUT_FILENO);
            if (quiet) {
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, STDERR_FILENO);
            }
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(inPipe[0]);
        ::close(outPipe[1]);
        c.in = inPipe[1];
        c.out = outPipe[0];
        return c;
    }
    // The next output line (empty after 20 s without one).
    std::string line() const {
        std::string text;
        pollfd p{out, POLLIN, 0};
        char ch = 0;
        while (::poll(&p, 1, 20000) > 0 && ::read(out, &ch, 1) == 1 && ch != '\n') text += ch;
        return text;
    }
    // Waits for an output line that starts with `start`.
    bool waitFor(const std::string& start) const {
        for (std::string l = line(); !l.empty(); l = line())
            if (l.starts_with(start)) return true;
        return false;
    }
    void end(int signal = SIGTERM) {
        if (in >= 0) ::close(in);
        if (pid > 0) {
            ::kill(pid, signal);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
        if (out >= 0) ::close(out);
        pid = in = out = -1;
    }
};

struct Usage {
    double cpuSeconds = 0;
    double peakRssMiB = 0;
};

Usage usageOf(pid_t pid) {
    return {krm::bench::cpuSeconds(pid), krm::bench::peakRssMiB(pid)};
}

void setFocus(const std::string& display, std::uint32_t window) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char* name = "_NET_ACTIVE_WINDOW";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32, 1, &window);
    std::free(atom);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the server has it
    xcb_disconnect(c);
}

std::size_t currentProfileWrites(const std::string& trace) {
    std::ifstream in(trace);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("set 40 05 00 a4")) ++n;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    int idleSeconds = 60;
    int switches = 10;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--idle") && i + 1 < argc)
            idleSeconds = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--switches") && i + 1 < argc)
            switches = std::max(2, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: krm_bench_companion [--idle SECONDS] [--switches N]\n");
            return 2;
        }
    }
    krm::bench::Xvfb xvfb;
    if (xvfb.display().empty()) {
        std::fprintf(stderr, "krm_bench_companion: %s\n", xvfb.error().c_str());
        return 1;
    }
    char folderName[] = "/tmp/krm-bench-companion-XXXXXX";
    if (!::mkdtemp(folderName)) return 1;
    const std::filesystem::path folder = folderName;
    std::filesystem::create_directories(folder / "config/krm");
    std::filesystem::create_directories(folder / "run");
    std::filesystem::permissions(folder / "run", std::filesystem::perms::owner_all);
    std::ofstream(folder / "config/krm/profiles.ini") << "[Default]\nProfile = 1\n[Rules]\nbenchgame = 3\n";
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
    ::unsetenv("KRM_TRACE");

    Child bus = Child::start({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, true);
    const std::string address = bus.line();
    if (address.empty()) {
        std::fprintf(stderr, "krm_bench_companion: dbus-daemon did not start (Debian package dbus)\n");
        return 1;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    Child desktop = Child::start({besideThisProgram("krm_dbus_recorder")});
    if (!desktop.waitFor("ready")) return 1;

    // The game and another program, each a window of a process of its own.
    std::vector<Child> windows;
    std::vector<std::uint32_t> ids;
    for (const char* name : {"benchgame", "benchnotes"}) {
        std::filesystem::copy_file(besideThisProgram("krm_x11_window"), folder / name);
        windows.push_back(Child::start({(folder / name).string()}));
        ids.push_back(static_cast<std::uint32_t>(std::strtoul(windows.back().line().c_str(), nullptr, 10)));
    }
    setFocus(xvfb.display(), ids[1]);

    const std::string program = besideThisProgram("krmconfig");
    const std::string trace = (folder / "trace.log").string();
    auto startCompanion = [&] {
        Child c = Child::start({program, "--background", "--simulate", "--trace", trace}, true);
        desktop.waitFor("RegisterStatusNotifierItem");
        std::this_thread::sleep_for(std::chrono::seconds(2)); // the mouse found and read
        return c;
    };
    Child companion = startCompanion();

    std::vector<double> latencies;
    for (int i = 0; i < switches; ++i) {
        const std::size_t before = currentProfileWrites(trace);
        const auto start = Clock::now();
        setFocus(xvfb.display(), ids[static_cast<std::size_t>(i % 2 == 0 ? 0 : 1)]);
        while (currentProfileWrites(trace) == before && Clock::now() - start < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (currentProfileWrites(trace) == before) {
            std::fprintf(stderr,
                         "krm_bench_companion: no profile was written within 5 s of a focus change\n");
            return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    const Usage before = usageOf(companion.pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const Usage after = usageOf(companion.pid);
    companion.end();

    // The window's start-up in the same X server, the start-up benchmark's way.
    std::vector<double> windowPeak;
    for (int i = 0; i < 3; ++i) {
        const auto run = krm::bench::runOnce(xvfb.display(), program, {"--simulate"}, 1500);
        if (run.firstWindowMs < 0) {
            std::fprintf(stderr, "krm_bench_companion: %s\n", run.error.c_str());
            return 1;
        }
        windowPeak.push_back(run.peakRssMiB);
    }

    // A Wayland session: the running programs are scanned every 2 s while there are rules.
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    Child scanning = startCompanion();
    const Usage scanBefore = usageOf(scanning.pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const Usage scanAfter = usageOf(scanning.pid);
    scanning.end();

    for (auto& w : windows) w.end();
    desktop.end();
    bus.end();
    std::filesystem::remove_all(folder);

    // What one scan of the running programs costs here.
    std::vector<double> scans;
    std::size_t processes = 0;
    const krm::ProcessTable table;
    for (int i = 0; i < 21; ++i) {
        const auto start = Clock::now();
        processes = table.programs().size();
        scans.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    const Spread l = spread(latencies), peak = spread(windowPeak), scan = spread(scans);
    const double cpu = (after.cpuSeconds - before.cpuSeconds) / idleSeconds * 100.0;
    const double scanCpu = (scanAfter.cpuSeconds - scanBefore.cpuSeconds) / idleSeconds * 100.0;
    std::printf("krmconfig --background --simulate under Xvfb, with a tray and a notification server on a "
                "private session bus, one rule:\n");
    std::printf(
        "  focus change -> profile written  %6.0f ms median (%.0f..%.0f), %d switches   goal <= 1200 ms\n",
        l.median, l.min, l.max, switches);
    std::printf("  CPU, %d s idle (X11 focus)       %6.3f %% of a core   goal <= 0.1 %%\n", idleSeconds, cpu);
    std::printf("  peak RSS                         %6.1f MiB   goal <= the window's start-up: %.1f MiB "
                "(median of 3, %.1f..%.1f)\n",
                after.peakRssMiB, peak.median, peak.min, peak.max);
    std::printf("  CPU, %d s idle (running programs scanned every 2 s, as under Wayland)  %.3f %% of a core, "
                "peak RSS %.1f MiB\n",
                idleSeconds, scanCpu, scanAfter.peakRssMiB);
    std::printf(
        "  one scan of the running programs: %zu readable of this user's, %.2f ms median (%.2f..%.2f)\n",
        processes, scan.median, scan.min, scan.max);
    std::printf("CPU time is counted in clock ticks of %ld per second: %.2f s of CPU over %d s.\n",
                ::sysconf(_SC_CLK_TCK), after.cpuSeconds - before.cpuSeconds, idleSeconds);
    return 0;
}
