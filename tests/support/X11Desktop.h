#pragma once

#include <xcb/xcb.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace krm::test {

// A client window in a process of its own, running the helper under the name given.
class ClientWindow {
public:
    ClientWindow(const std::string& program, const std::string& display) {
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

// What a window manager does on the root window: names the focused window (_NET_ACTIVE_WINDOW), sets
// other properties, and sends a window the close of its title bar.
class X11Desktop {
public:
    explicit X11Desktop(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~X11Desktop() { xcb_disconnect(c_); }
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    std::uint32_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const std::uint32_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
    void set(const char* property, std::uint32_t type, std::uint32_t value) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom(property), type, 32, 1, &value);
        xcb_flush(c_);
    }
    void focus(std::uint32_t window) { set("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, window); }
    // The title bar's close button: WM_DELETE_WINDOW.
    void close(std::uint32_t window) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = window;
        e.type = atom("WM_PROTOCOLS");
        e.data.data32[0] = atom("WM_DELETE_WINDOW");
        e.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
        xcb_flush(c_);
    }
    // A window of this process (as the configurator's own windows are to it).
    std::uint32_t ownWindow() {
        const std::uint32_t window = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                            &pid);
        return window;
    }

private:
    xcb_connection_t* c_;
    std::uint32_t root_ = 0;
};

} // namespace krm::test
