// A client window of a process of its own, for the focus tests: it maps one window that names its
// process in _NET_WM_PID, prints the window's id and stays until its standard input closes.
//
//   krm_x11_window   (on $DISPLAY)

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const char* name = "_NET_WM_PID";
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    if (!reply) return 1;
    const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, reply->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
    std::free(reply);
    xcb_map_window(c, window);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the server has it all
    std::printf("%u\n", window);
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_disconnect(c);
    return 0;
}
