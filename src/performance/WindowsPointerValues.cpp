#include "performance/DesktopPointerSettings.h"

#include <algorithm>

namespace krm {

namespace {
constexpr int kSlowestSpeed = 1, kFastestSpeed = 20;
// Acceleration level: 0 none, 1 doubles the movement past threshold 1, 2 also quadruples it past
// threshold 2.
constexpr int kMaxAcceleration = 2;
// Windows takes 0 as "its default of 500 ms" and cuts anything above 5000 ms.
constexpr int kShortestDoubleClick = 1, kLongestDoubleClick = 5000;
// Windows' own control panel offers 1..100 lines; 0 would stop the wheel scrolling at all.
constexpr int kFewestLines = 1, kMostLines = 100;
} // namespace

WindowsPointerValues toWindowsPointer(const PointerValues& v) {
    WindowsPointerValues w;
    w.mouseSpeed = std::clamp(v.speed, kSlowestSpeed, kFastestSpeed);
    // Our triple is (speed, threshold 1, threshold 2); Windows' array puts the level last.
    w.mouse = std::array<int, 3>{std::max(v.accel.threshold1, 0), std::max(v.accel.threshold2, 0),
                                 std::clamp(v.accel.speed, 0, kMaxAcceleration)};
    w.doubleClickMs =
        static_cast<unsigned>(std::clamp(v.doubleClickMs, kShortestDoubleClick, kLongestDoubleClick));
    w.wheelLines = v.scrollLines == kOneScreen
                       ? kWindowsPageScroll
                       : static_cast<unsigned>(std::clamp(v.scrollLines, kFewestLines, kMostLines));
    return w;
}

PointerReading fromWindowsPointer(const WindowsPointerValues& w) {
    PointerReading r;
    // The speed goes on as it is: the reverse map already takes anything unknown as the middle step.
    r.speed = w.mouseSpeed;
    if (w.mouse) {
        const auto& [threshold1, threshold2, level] = *w.mouse;
        // Without a level Windows moves the pointer 1:1 whatever the thresholds say.
        r.accel = level == 0 ? kPrecisionOff : AccelTriple{level, threshold1, threshold2};
    }
    if (w.doubleClickMs)
        r.doubleClickMs =
            static_cast<int>(std::min(*w.doubleClickMs, static_cast<unsigned>(kLongestDoubleClick)));
    if (w.wheelLines)
        r.scrollLines = *w.wheelLines == kWindowsPageScroll
                            ? kOneScreen
                            : static_cast<int>(std::min(*w.wheelLines, static_cast<unsigned>(kMostLines)));
    return r;
}

} // namespace krm
