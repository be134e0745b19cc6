#include "companion/X11Focus.h"

#include "companion/Processes.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace krm {

namespace {

std::uint32_t atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const std::uint32_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

// A 32-bit property of one value, or 0 when the window lacks it (or is gone).
std::uint32_t property(xcb_connection_t* c, std::uint32_t window, std::uint32_t name, std::uint32_t type) {
    if (!window || !name) return 0;
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1), nullptr);
    std::uint32_t value = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        std::memcpy(&value, xcb_get_property_value(reply), sizeof value);
    std::free(reply);
    return value;
}

} // namespace

std::unique_ptr<X11FocusedProgram> X11FocusedProgram::connect(const std::string& display,
                                                              const ProcessTable& processes) {
    int screen = 0;
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), &screen);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::unique_ptr<X11FocusedProgram>(new X11FocusedProgram(c, it.data->root, processes));
}

X11FocusedProgram::X11FocusedProgram(xcb_connection_t* connection, std::uint32_t root,
                                     const ProcessTable& processes)
    : connection_(connection), root_(root), processes_(processes) {
    activeWindowAtom_ = atom(connection_, "_NET_ACTIVE_WINDOW");
    pidAtom_ = atom(connection_, "_NET_WM_PID");
    // Only the root window's property changes are asked for; other clients' own events are theirs.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    readFocus();
}

X11FocusedProgram::~X11FocusedProgram() {
    xcb_disconnect(connection_);
}

int X11FocusedProgram::eventDescriptor() const {
    return xcb_get_file_descriptor(connection_);
}

bool X11FocusedProgram::lost() const {
    return xcb_connection_has_error(connection_) != 0;
}

void X11FocusedProgram::readFocus() {
    const std::uint32_t window = property(connection_, root_, activeWindowAtom_, XCB_ATOM_WINDOW);
    const int pid = static_cast<int>(property(connection_, window, pidAtom_, XCB_ATOM_CARDINAL));
    // The configurator's own windows take no profile: the one of the program before them stays.
    if (pid == static_cast<int>(::getpid())) return;
    window_ = window;
    pid_ = pid;
}

bool X11FocusedProgram::takeEvents() {
    const int before = pid_;
    // Reading the focus asks the server and may queue new events behind the reply: drain until none
    // names the active window any more.
    bool focusMoved = false;
    xcb_generic_event_t* event = xcb_poll_for_event(connection_);
    do {
        focusMoved = false;
        for (; event; event = xcb_poll_for_queued_event(connection_)) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == activeWindowAtom_)
                focusMoved = true;
            std::free(event);
        }
        if (focusMoved) {
            readFocus();
            event = xcb_poll_for_queued_event(connection_);
        }
    } while (focusMoved);
    return pid_ != before;
}

std::vector<ProgramInfo> X11FocusedProgram::programs() {
    if (auto p = processes_.program(pid_)) return {*p};
    return {};
}

} // namespace krm
