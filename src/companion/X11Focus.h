#pragma once

#include "companion/ProgramSource.h"

#include <cstdint>
#include <memory>
#include <string>

struct xcb_connection_t;

namespace krm {

// The program of the focused window on an X11 desktop: the window manager names the focused window in
// the root window's _NET_ACTIVE_WINDOW, the window its process in _NET_WM_PID. Changes arrive as
// property events on the root window, so nothing is polled. The focus moving to a window of this
// process (the configurator's own) leaves the program before it in place.
class X11FocusedProgram final : public ProgramSource {
public:
    // Connects to `display` (empty: $DISPLAY); nothing when no X server answers there.
    static std::unique_ptr<X11FocusedProgram> connect(const std::string& display,
                                                      const ProcessTable& processes);
    ~X11FocusedProgram() override;
    X11FocusedProgram(const X11FocusedProgram&) = delete;
    X11FocusedProgram& operator=(const X11FocusedProgram&) = delete;

    std::string description() const override { return "the focused window (X11)"; }
    std::vector<ProgramInfo> programs() override;
    int eventDescriptor() const override;
    bool takeEvents() override;

    // The focused window and its process id; 0 when there is none or it names no process.
    std::uint32_t focusedWindow() const { return window_; }
    int focusedPid() const { return pid_; }
    bool lost() const override;

private:
    X11FocusedProgram(xcb_connection_t* connection, std::uint32_t root, const ProcessTable& processes);
    void readFocus();

    xcb_connection_t* connection_;
    std::uint32_t root_;
    const ProcessTable& processes_;
    std::uint32_t activeWindowAtom_ = 0;
    std::uint32_t pidAtom_ = 0;
    std::uint32_t window_ = 0;
    int pid_ = 0;
};

} // namespace krm
