#include "performance/DesktopPointerSettings.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace krm {

namespace {
// Speed v accelerates by 1 + v/10 past 4 pixels: speed 10 (step 6) is the X server's own default of
// 2/1, and every speed stays faster than no acceleration at all, which stands for precision off.
constexpr int kThreshold = 4;
constexpr int kTenths = 10;
constexpr int kMiddleSpeed = 10;

Display* dpy(void* p) {
    return static_cast<Display*>(p);
}
} // namespace

std::unique_ptr<X11PointerSettings> X11PointerSettings::open(const std::string& display) {
    Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!d) return nullptr;
    return std::unique_ptr<X11PointerSettings>(new X11PointerSettings(d));
}

X11PointerSettings::~X11PointerSettings() {
    XCloseDisplay(dpy(display_));
}

std::string X11PointerSettings::unsupported(PointerItem item) const {
    switch (item) {
    case PointerItem::DoubleClick:
        return "X11 has no double-click time of its own; each toolkit keeps one";
    case PointerItem::ScrollLines:
        return "X11 has no setting for the lines one wheel notch scrolls";
    case PointerItem::OneScreen:
        return "X11 has no setting for scrolling a screen per wheel notch";
    default:
        return {};
    }
}

std::optional<PointerReading> X11PointerSettings::read() {
    int numerator = 1, denominator = 1, threshold = 0;
    XGetPointerControl(dpy(display_), &numerator, &denominator, &threshold);
    PointerReading r;
    if (denominator <= 0 || numerator <= denominator) {
        // No acceleration: the pointer moves 1:1 and holds no speed of its own.
        r.accel = kPrecisionOff;
        r.speed = kMiddleSpeed;
    } else {
        r.accel = kPrecisionOn;
        const double factor = static_cast<double>(numerator) / denominator;
        r.speed = std::clamp(static_cast<int>(std::lround(kTenths * (factor - 1.0))), 0, 20);
    }
    return r;
}

void X11PointerSettings::apply(const PointerValues& v) {
    int numerator = 1, denominator = 1;
    if (v.accel.on()) {
        const int tenths = kTenths + std::clamp(v.speed, 1, 20);
        const int g = std::gcd(tenths, kTenths);
        numerator = tenths / g;
        denominator = kTenths / g;
    }
    XChangePointerControl(dpy(display_), True, True, numerator, denominator, kThreshold);
    XSync(dpy(display_), False);
}

} // namespace krm
