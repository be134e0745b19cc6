#include "StartupBench.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace krm::bench {

namespace {

using Clock = std::chrono::steady_clock;

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t end = dirs.find(':', at);
        const std::string dir = dirs.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return false;
}

void quietChild() {
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
}

xcb_connection_t* connectTo(const std::string& display, xcb_window_t* root) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.c_str(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    *root = it.data->root;
    return c;
}

} // namespace

std::string besideThisProgram(const char* name) {
    char self[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("./");
    return path.substr(0, path.rfind('/') + 1) + name;
}

double peakRssMiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

double cpuSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name in parentheses: utime and stime are the 12th and 13th from there.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i == 12) utime = std::stoull(field);
        if (i == 13) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

Spread spread(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

Xvfb::Xvfb() {
    if (!onPath("Xvfb")) {
        std::fprintf(stderr, "Xvfb is missing: installing the xvfb package\n");
        const char* install = ::geteuid() == 0 ? "apt-get install -y -qq xvfb >/dev/null"
                                               : "sudo -n apt-get install -y -qq xvfb >/dev/null";
        if (std::system(install) != 0 || !onPath("Xvfb")) {
            error_ = "Xvfb is not installed and could not be installed (apt-get install xvfb)";
            return;
        }
    }
    // Other X servers may run beside ours, in other file-system views of /tmp but sharing the abstract
    // socket names: take a display number far from the usual ones and make sure our server is the one
    // that answers there (a server that finds its display taken ends at once).
    for (int attempt = 0; attempt < 20 && display_.empty(); ++attempt) {
        const int number = 1000 + static_cast<int>((::getpid() * 7 + attempt * 113) % 8000);
        const std::string display = ":" + std::to_string(number);
        pid_ = ::fork();
        if (pid_ == 0) {
            quietChild();
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                     "-noreset", nullptr);
            ::_exit(127);
        }
        if (pid_ < 0) {
            error_ = std::string("fork: ") + std::strerror(errno);
            return;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            xcb_window_t root = 0;
            if (xcb_connection_t* c = connectTo(display, &root)) {
                xcb_disconnect(c);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (::waitpid(pid_, &status, WNOHANG) == pid_) { // someone else's server answered
                    pid_ = -1;
                    break;
                }
                display_ = display;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }
    error_ = "Xvfb did not start within 10 s";
}

Xvfb::~Xvfb() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

StartupRun runOnce(const std::string& display, const std::string& program,
                   const std::vector<std::string>& args, int settleMs) {
    StartupRun run;
    xcb_window_t root = 0;
    xcb_connection_t* c = connectTo(display, &root);
    if (!c) {
        run.error = "cannot connect to the X server " + display;
        return run;
    }
    // Every window mapped as a child of the root reports to us.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the server has it

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        quietChild();
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) {
        xcb_disconnect(c);
        run.error = std::string("fork: ") + std::strerror(errno);
        return run;
    }

    const auto deadline = start + std::chrono::seconds(10);
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (run.firstWindowMs < 0 && Clock::now() < deadline) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7F) == XCB_MAP_NOTIFY && run.firstWindowMs < 0) {
                run.firstWindowMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            free(ev);
        }
        if (run.firstWindowMs < 0) ::poll(&fd, 1, 5);
    }
    xcb_disconnect(c);
    if (run.firstWindowMs < 0) run.error = program + " mapped no window within 10 s";

    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    run.peakRssMiB = peakRssMiB(pid);
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> gl;
    static const char* const kGlMarks[] = {"_dri.so",    "/dri/",   "libGLX_mesa", "libEGL_mesa",
                                           "libgallium", "libLLVM", "libglapi",    "libvulkan"};
    for (std::string line; std::getline(maps, line);) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string path = line.substr(slash);
        for (const char* mark : kGlMarks)
            if (path.find(mark) != std::string::npos) gl.insert(path);
    }
    run.glLibraries.assign(gl.begin(), gl.end());
    ::kill(pid, SIGTERM);
    int st = 0;
    ::waitpid(pid, &st, 0);
    return run;
}

} // namespace krm::bench
