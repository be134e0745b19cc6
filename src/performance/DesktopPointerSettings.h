#pragma once

#include "performance/PointerSettings.h"

#include <memory>
#include <string>

// The desktops' own pointer settings. Values arrive in the units of PointerValues and are converted:
//
// | value                          | GNOME (GSettings)                      | KDE Plasma (config files) | X11
// core pointer                         |
// |--------------------------------|----------------------------------------|------------------------------------------------|------------------------------------------|
// | speed 1..20 (10 = default)     | mouse speed (v - 10) / 10, -0.9..1.0   | kcminputrc [Mouse]
// XLbInptPointerAcceleration,  | acceleration 1 + v/10 past 4 pixels     | |                                |
// (0 = the desktop default)              | the same -0.9..1.0                             | (10 = 2/1, the X
// default); precision on  | | precision on (1, 6, 10)        | accel-profile 'adaptive' ('default'    |
// XLbInptAccelProfileFlat=false                  | acceleration as above                    | | | kept when
// set)                         |                                                | | | precision off (0, 0, 0)
// | accel-profile 'flat'                   | XLbInptAccelProfileFlat=true                   | acceleration
// 1/1 (none)                  | | double-click ms                | double-click (ms)                      |
// kdeglobals [KDE] DoubleClickInterval (ms)      | unsupported (each toolkit has its own)   | | scroll
// lines 1..11             | unsupported                            | kdeglobals [KDE] WheelScrollLines |
// unsupported                              | | one screen per notch (-1)      | unsupported | unsupported |
// unsupported                              |
//
// Reading back: GNOME speed g gives round(10 + 10 g); X11 acceleration n/d gives round(10 (n/d - 1)) (1/1
// reads as precision off with the middle speed); a key a desktop does not hold yet reads as that desktop's
// own default (GNOME and Plasma: speed 0, adaptive, 400 ms; Plasma: 3 lines).

namespace krm {

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

} // namespace krm
