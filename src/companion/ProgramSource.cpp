#include "companion/ProgramSource.h"

#include "companion/Processes.h"
#include "companion/X11Focus.h"

#include <cstdlib>
#include <string_view>

namespace krm {

std::unique_ptr<ProgramSource> makeProgramSource(const ProcessTable& processes, std::string& why) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("DISPLAY");
    // Under Wayland an X display is XWayland's, whose focus says nothing about native windows.
    if ((wayland && *wayland) || (session && std::string_view(session) == "wayland")) {
        why = "a Wayland session tells no program which window has the focus: the running programs are "
              "watched";
    } else if (!display || !*display) {
        why = "no X display: the running programs are watched";
    } else if (auto x11 = X11FocusedProgram::connect(display, processes)) {
        why = "the X11 display " + std::string(display) + " names the focused window: its program is watched";
        return x11;
    } else {
        why =
            "the X11 display " + std::string(display) + " does not answer: the running programs are watched";
    }
    return std::make_unique<RunningPrograms>(processes);
}

} // namespace krm
