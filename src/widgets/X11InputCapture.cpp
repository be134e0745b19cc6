#include "widgets/X11InputCapture.h"

#include "buttons/QtKeyMapping.h"

#ifdef KRM_HAVE_XINPUT2
#include <poll.h>
#include <unistd.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <atomic>
#include <thread>
#endif

namespace krm::gui {

#ifdef KRM_HAVE_XINPUT2

namespace {

// Qt's key value (a plain integer) of a keysym, for the mapping the dialogs use; modifiers are told
// apart by their keysym there, so they give 0 here.
int qtKeyOfKeysym(KeySym s) {
    if (s >= 0x20 && s <= 0x7E)
        return s >= 'a' && s <= 'z' ? static_cast<int>(s - 0x20) : static_cast<int>(s);
    if (s >= XK_F1 && s <= XK_F24) return 0x01000030 + static_cast<int>(s - XK_F1);
    if (s >= XK_KP_0 && s <= XK_KP_9) return '0' + static_cast<int>(s - XK_KP_0);
    switch (s) {
    case XK_Escape:
        return 0x01000000;
    case XK_Tab:
        return 0x01000001;
    case XK_BackSpace:
        return 0x01000003;
    case XK_Return:
        return 0x01000004;
    case XK_KP_Enter:
        return 0x01000005;
    case XK_Insert:
        return 0x01000006;
    case XK_Delete:
        return 0x01000007;
    case XK_Pause:
        return 0x01000008;
    case XK_Print:
        return 0x01000009;
    case XK_Home:
        return 0x01000010;
    case XK_End:
        return 0x01000011;
    case XK_Left:
        return 0x01000012;
    case XK_Up:
        return 0x01000013;
    case XK_Right:
        return 0x01000014;
    case XK_Down:
        return 0x01000015;
    case XK_Prior:
        return 0x01000016;
    case XK_Next:
        return 0x01000017;
    case XK_Caps_Lock:
        return 0x01000024;
    case XK_Num_Lock:
        return 0x01000025;
    case XK_Scroll_Lock:
        return 0x01000026;
    case XK_Menu:
        return 0x01000055;
    case XK_KP_Multiply:
        return '*';
    case XK_KP_Add:
        return '+';
    case XK_KP_Subtract:
        return '-';
    case XK_KP_Decimal:
        return '.';
    case XK_KP_Divide:
        return '/';
    default:
        return 0;
    }
}

bool isKeypad(KeySym s) {
    return s >= XK_KP_Space && s <= XK_KP_9;
}

} // namespace

struct X11InputCapture::Impl {
    Display* display = nullptr;
    int opcode = 0;
    int wake[2] = {-1, -1};
    std::thread thread;
    Sink sink;

    ~Impl() {
        if (display) XCloseDisplay(display);
        for (int fd : wake)
            if (fd >= 0) ::close(fd);
    }

    void deliver(const XIRawEvent& raw, int type) {
        InputEvent e;
        e.timeMs = raw.time;
        if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
            const auto code = static_cast<KeyCode>(raw.detail);
            const KeySym sym = XkbKeycodeToKeysym(display, code, 0, 0);
            e.kind = type == XI_RawKeyPress ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
            e.virtualKey =
                virtualKeyFromQtKey(qtKeyOfKeysym(sym), isKeypad(sym), code, static_cast<std::uint32_t>(sym));
            e.autoRepeat = (raw.flags & XIKeyRepeat) != 0;
            if (e.virtualKey == 0) return;
        } else {
            e.kind = type == XI_RawButtonPress ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
            switch (raw.detail) {
            case 1:
                e.button = InputEvent::Button::Left;
                break;
            case 2:
                e.button = InputEvent::Button::Middle;
                break;
            case 3:
                e.button = InputEvent::Button::Right;
                break;
            case 8:
                e.button = InputEvent::Button::Backward;
                break;
            case 9:
                e.button = InputEvent::Button::Forward;
                break;
            default:
                return; // the wheel and tilt
            }
        }
        sink(e);
    }

    void run() {
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
        for (;;) {
            while (XPending(display) > 0) {
                XEvent ev;
                XNextEvent(display, &ev);
                XGenericEventCookie* cookie = &ev.xcookie;
                if (cookie->type != GenericEvent || cookie->extension != opcode ||
                    !XGetEventData(display, cookie))
                    continue;
                deliver(*static_cast<const XIRawEvent*>(cookie->data), cookie->evtype);
                XFreeEventData(display, cookie);
            }
            if (::poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            if (fds[0].revents & (POLLERR | POLLHUP)) return;
        }
    }
};

X11InputCapture::X11InputCapture(std::string display) : display_(std::move(display)) {}

X11InputCapture::~X11InputCapture() {
    stop();
}

bool X11InputCapture::compiledIn() {
    return true;
}

bool X11InputCapture::start(Sink sink, std::string& error) {
    stop();
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(display_.empty() ? nullptr : display_.c_str());
    if (!impl->display) {
        error = "no X display to record from";
        return false;
    }
    int event = 0, xiError = 0;
    int major = 2, minor = 0;
    if (!XQueryExtension(impl->display, "XInputExtension", &impl->opcode, &event, &xiError) ||
        XIQueryVersion(impl->display, &major, &minor) != Success) {
        error = "the X server has no XInput 2";
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    XISelectEvents(impl->display, DefaultRootWindow(impl->display), &mask, 1);
    XSync(impl->display, False);
    if (::pipe(impl->wake) != 0) {
        error = "cannot make the recorder's wake-up pipe";
        return false;
    }
    impl->sink = std::move(sink);
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->run(); });
    impl_ = std::move(impl);
    return true;
}

void X11InputCapture::stop() {
    if (!impl_) return;
    const char byte = 1;
    if (::write(impl_->wake[1], &byte, 1) < 0) {
        // The pipe cannot be full or closed here; the join below would still end with the display.
    }
    if (impl_->thread.joinable()) impl_->thread.join();
    impl_.reset();
}

#else

struct X11InputCapture::Impl {};

X11InputCapture::X11InputCapture(std::string display) : display_(std::move(display)) {}
X11InputCapture::~X11InputCapture() = default;
bool X11InputCapture::compiledIn() {
    return false;
}
bool X11InputCapture::start(Sink, std::string& error) {
    error = "this build has no XInput 2 support";
    return false;
}
void X11InputCapture::stop() {}

#endif

} // namespace krm::gui
