#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace krm {

// The desktop's own pointer settings for the current user, beside the mouse's: pointer speed, pointer
// precision (acceleration), double-click time and wheel scroll lines. They never touch the mouse.
//
// Values are kept in one set of units whatever the desktop: a speed of 1..20 (10 is a desktop's
// default speed), an acceleration triple (speed, threshold 1, threshold 2) that is (1, 6, 10) with
// precision on and (0, 0, 0) off, a double-click time in milliseconds, and scroll lines 1..11 or -1 for
// one screen per notch. Each desktop's implementation converts them to its own units (the table is in
// docs/ARCHITECTURE.md and beside each implementation).

enum class PointerItem { Speed, Precision, DoubleClick, ScrollLines, OneScreen };
inline constexpr int kPointerItems = 5;

struct AccelTriple {
    int speed = 0, threshold1 = 0, threshold2 = 0;
    bool on() const { return speed != 0 || threshold1 != 0 || threshold2 != 0; }
    bool operator==(const AccelTriple&) const = default;
};
inline constexpr AccelTriple kPrecisionOn{1, 6, 10};
inline constexpr AccelTriple kPrecisionOff{0, 0, 0};
inline constexpr int kOneScreen = -1;

// What is written, in the order of the apply sequence: speed, acceleration, double-click, scroll lines.
struct PointerValues {
    int speed = 10;
    AccelTriple accel = kPrecisionOn;
    int doubleClickMs = 480;
    int scrollLines = 3;
    bool operator==(const PointerValues&) const = default;
};

// What a desktop holds now; an item it cannot read is empty and takes the default (speed 20,
// acceleration 0, double-click 480 ms, scroll lines 2).
struct PointerReading {
    std::optional<int> speed;
    std::optional<AccelTriple> accel;
    std::optional<int> doubleClickMs;
    std::optional<int> scrollLines;
};

// The desktop side of the pointer settings.
class PointerSettings {
public:
    virtual ~PointerSettings() = default;
    // "GNOME", "KDE Plasma", "X11", ...
    virtual std::string name() const = 0;
    // Why the desktop has no equivalent of an item (shown as the disabled control's tooltip); empty
    // when it has one.
    virtual std::string unsupported(PointerItem item) const = 0;
    // Nothing when the desktop's settings cannot be reached at all: the page then shows nothing.
    virtual std::optional<PointerReading> read() = 0;
    // Stores the four values and applies them to the running desktop, in the order speed,
    // acceleration, double-click, scroll lines; items the desktop has no equivalent for are left out.
    virtual void apply(const PointerValues& values) = 0;
};

// --- step tables (step 1..11) and the reverse maps ---
int speedForStep(int step);        // 1, 2, 4, 6, ... 20
int doubleClickForStep(int step);  // 900 down to 200 ms in 70 ms steps
int stepForSpeed(int speed);       // 10 and 11 (and anything unknown) give 6
int stepForDoubleClick(int ms);    // bands of 70 ms from 900 down
int stepForScrollLines(int lines); // 0 and 3 give 3; 10 and 12 up give 10

// The pointer bars' sliders: the step 1..11 for a release at pixel `x` (bands of 26 pixels from -7).
int pointerSliderStep(int x);
inline constexpr int kPointerSliderWidth = 11 * 26;

// The page's five values and what each edit does with them. Every edit ends with the whole apply
// sequence on the desktop.
class PointerPanel {
public:
    explicit PointerPanel(PointerSettings& desktop) : desktop_(&desktop) {}

    // Reads the desktop once (at start-up); false when it could not be reached (nothing is shown then).
    bool load();
    bool loaded() const { return loaded_; }

    int speedStep() const { return speedStep_; }
    bool precision() const { return accel_.on(); }
    int doubleClickStep() const { return doubleClickStep_; }
    int scrollStep() const { return scrollStep_; }
    bool oneScreen() const { return scrollLines_ == kOneScreen; }
    PointerValues values() const;

    std::string unsupported(PointerItem item) const { return desktop_->unsupported(item); }
    std::string desktopName() const { return desktop_->name(); }

    // A bar's step 1..11 clicked (or its slider let go).
    void setSpeedStep(int step);
    void setDoubleClickStep(int step);
    void setScrollStep(int step); // also leaves one-screen mode
    void togglePrecision();
    void toggleOneScreen();

private:
    void apply();

    PointerSettings* desktop_;
    bool loaded_ = false;
    int speedStep_ = 6;
    AccelTriple accel_ = kPrecisionOn;
    int doubleClickStep_ = 7;
    int scrollStep_ = 3;
    int scrollLines_ = 3;
};

// Keeps the values in memory (tests, and desktops we cannot reach); records every apply.
class MemoryPointerSettings final : public PointerSettings {
public:
    std::string name() const override { return "memory"; }
    std::string unsupported(PointerItem item) const override;
    std::optional<PointerReading> read() override;
    void apply(const PointerValues& values) override;

    std::optional<PointerReading> reading = PointerReading{};
    std::vector<PointerValues> applied;
    std::array<std::string, kPointerItems> reasons{}; // per item: why it is unsupported
};

// The implementation for this session's desktop: GNOME (GSettings) when XDG_CURRENT_DESKTOP names it and
// its schema is installed, KDE Plasma (its configuration files) when it names KDE, X11 pointer control
// when there is a display, and otherwise an in-memory one whose items are all unsupported; on Windows,
// Windows' own. KRM_POINTER_SETTINGS (memory; on Linux also gnome, kde, x11) overrides the choice.
std::unique_ptr<PointerSettings> makeDesktopPointerSettings();

} // namespace krm
