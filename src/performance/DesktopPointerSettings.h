#pragma once

#include "performance/PointerSettings.h"

#include <array>
#include <memory>
#include <string>

// The desktops' own pointer settings. Values arrive in the units of PointerValues and are converted (the
// same table, as a table, is in docs/ARCHITECTURE.md):
//
// GNOME (GSettings, org.gnome.desktop.peripherals.mouse)
//   speed v 1..20      speed (v - 10) / 10, -0.9..1.0 (0 = the desktop default)
//   precision on       accel-profile 'adaptive' ('default' kept when set)
//   precision off      accel-profile 'flat'
//   double-click ms    double-click (ms)
//   scroll lines       unsupported, and one screen per notch too
// KDE Plasma (configuration files)
//   speed v 1..20      kcminputrc [Mouse] XLbInptPointerAcceleration, the same -0.9..1.0
//   precision on/off   kcminputrc [Mouse] XLbInptAccelProfileFlat=false / true
//   double-click ms    kdeglobals [KDE] DoubleClickInterval (ms)
//   scroll lines       kdeglobals [KDE] WheelScrollLines; one screen per notch unsupported (lines kept)
// X11 core pointer (XChangePointerControl)
//   speed v 1..20      acceleration 1 + v/10 past 4 pixels (10 = 2/1, the X default), with precision on
//   precision off      acceleration 1/1 (none)
//   double-click ms    unsupported (each toolkit has its own)
//   scroll lines       unsupported, and one screen per notch too
// Windows (SystemParametersInfo, every set with SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
//   speed v 1..20      SPI_SETMOUSESPEED v, the same 1..20 (10 = the Windows default)
//   precision on/off   SPI_SETMOUSE {threshold 1, threshold 2, level}: {6, 10, 1} / {0, 0, 0}
//   double-click ms    SPI_SETDOUBLECLICKTIME ms, 1..5000 (0 would mean the Windows default)
//   scroll lines       SPI_SETWHEELSCROLLLINES lines; one screen per notch WHEEL_PAGESCROLL (0xFFFFFFFF)
//
// Reading back: GNOME speed g gives round(10 + 10 g); X11 acceleration n/d gives round(10 (n/d - 1)) (1/1
// reads as precision off with the middle speed); a key a desktop does not hold yet reads as that desktop's
// own default (GNOME and Plasma: speed 0, adaptive, 400 ms; Plasma: 3 lines). Windows gives its values
// back as they are, except that {t1, t2, 0} is precision off whatever the thresholds: Windows does not
// accelerate then.

namespace krm {

#ifndef _WIN32
// GNOME: org.gnome.desktop.peripherals.mouse (speed, accel-profile, double-click) through GSettings;
// written values reach the running desktop through its settings daemon.
class GnomePointerSettings final : public PointerSettings {
public:
    // Nothing when the schema is not installed.
    static std::unique_ptr<GnomePointerSettings> open();
    ~GnomePointerSettings() override;
    GnomePointerSettings(const GnomePointerSettings&) = delete;
    GnomePointerSettings& operator=(const GnomePointerSettings&) = delete;

    std::string name() const override { return "GNOME"; }
    std::string unsupported(PointerItem item) const override;
    std::optional<PointerReading> read() override;
    void apply(const PointerValues& values) override;

private:
    explicit GnomePointerSettings(void* settings) : settings_(settings) {}
    void* settings_; // GSettings*
};

// KDE Plasma: kcminputrc and kdeglobals in the user's configuration folder ($XDG_CONFIG_HOME or
// ~/.config), written atomically with every other line kept; running applications are told through
// the KGlobalSettings change signal on the session bus when there is one.
class KdePointerSettings final : public PointerSettings {
public:
    // `configDir`: the folder holding the two files (empty: the user's configuration folder).
    explicit KdePointerSettings(std::string configDir = {});

    std::string name() const override { return "KDE Plasma"; }
    std::string unsupported(PointerItem item) const override;
    std::optional<PointerReading> read() override;
    void apply(const PointerValues& values) override;

    // The last write that failed ("kdeglobals: permission denied"), empty when all went well.
    const std::string& lastError() const { return lastError_; }

private:
    std::string dir_;
    std::string lastError_;
};

// X11 core pointer control (XChangePointerControl): acceleration and threshold only.
class X11PointerSettings final : public PointerSettings {
public:
    // Nothing when the display cannot be opened. `display`: empty for $DISPLAY.
    static std::unique_ptr<X11PointerSettings> open(const std::string& display = {});
    ~X11PointerSettings() override;
    X11PointerSettings(const X11PointerSettings&) = delete;
    X11PointerSettings& operator=(const X11PointerSettings&) = delete;

    std::string name() const override { return "X11"; }
    std::string unsupported(PointerItem item) const override;
    std::optional<PointerReading> read() override;
    void apply(const PointerValues& values) override;

private:
    explicit X11PointerSettings(void* display) : display_(display) {}
    void* display_; // Display*
};

// KDE's key=value files: the value of `key` in [group], and the text with it set (other lines kept).
std::optional<std::string> kdeConfigValue(const std::string& text, const std::string& group,
                                          const std::string& key);
std::string kdeConfigWithValue(const std::string& text, const std::string& group, const std::string& key,
                               const std::string& value);

// Speed 1..20 to the -1..1 range of GNOME and Plasma, and back.
double speedToLibinput(int speed);
int speedFromLibinput(double value);
#else
// Windows: SystemParametersInfo, whose sets also store the values in the user's registry (Control
// Panel\Mouse and Control Panel\Desktop) and tell running programs (WM_SETTINGCHANGE).
class WindowsPointerSettings final : public PointerSettings {
public:
    std::string name() const override { return "Windows"; }
    std::string unsupported(PointerItem) const override { return {}; }
    std::optional<PointerReading> read() override;
    void apply(const PointerValues& values) override;

    // The settings Windows refused in the last apply ("pointer speed: Windows error 87"), empty when all
    // went well; the others are applied all the same.
    const std::string& lastError() const { return lastError_; }

private:
    std::string lastError_;
};
#endif

// Windows' own values for the four items, as SystemParametersInfo takes and gives them; an item Windows
// would not give is empty. Kept apart from the calls so the conversion is built and tested everywhere.
inline constexpr unsigned kWindowsPageScroll = 0xFFFFFFFFU; // WHEEL_PAGESCROLL: one screen per notch
struct WindowsPointerValues {
    std::optional<int> mouseSpeed;           // SPI_[GS]ETMOUSESPEED: 1..20
    std::optional<std::array<int, 3>> mouse; // SPI_[GS]ETMOUSE: threshold 1, threshold 2 (pixels), level 0..2
    std::optional<unsigned> doubleClickMs;   // GetDoubleClickTime, SPI_SETDOUBLECLICKTIME: 1..5000
    std::optional<unsigned> wheelLines;      // SPI_[GS]ETWHEELSCROLLLINES: 1..100 or kWindowsPageScroll
    bool operator==(const WindowsPointerValues&) const = default;
};
// Every item set, each within what Windows accepts.
WindowsPointerValues toWindowsPointer(const PointerValues& values);
PointerReading fromWindowsPointer(const WindowsPointerValues& values);

} // namespace krm
