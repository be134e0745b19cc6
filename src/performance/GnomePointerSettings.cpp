#include "performance/DesktopPointerSettings.h"

#include "performance/GioLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace krm {

namespace {
constexpr const char* kSchema = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kSpeedKey = "speed";
constexpr const char* kProfileKey = "accel-profile";
constexpr const char* kDoubleClickKey = "double-click";

GSettings* gs(void* p) {
    return static_cast<GSettings*>(p);
}
} // namespace

double speedToLibinput(int speed) {
    return std::clamp((speed - 10) / 10.0, -1.0, 1.0);
}

int speedFromLibinput(double value) {
    return std::clamp(static_cast<int>(std::lround(10.0 + 10.0 * value)), 0, 20);
}

std::unique_ptr<GnomePointerSettings> GnomePointerSettings::open() {
    const GioLibrary* gio = gioLibrary();
    if (!gio) return nullptr;
    // A new GSettings aborts on a schema that is not installed: look it up first.
    GSettingsSchemaSource* source = gio->schemaSourceGetDefault();
    if (!source) return nullptr;
    GSettingsSchema* schema = gio->schemaSourceLookup(source, kSchema, TRUE);
    if (!schema) return nullptr;
    const bool complete = gio->schemaHasKey(schema, kSpeedKey) && gio->schemaHasKey(schema, kProfileKey) &&
                          gio->schemaHasKey(schema, kDoubleClickKey);
    GSettings* settings = complete ? gio->settingsNewFull(schema, nullptr, nullptr) : nullptr;
    gio->schemaUnref(schema);
    if (!settings) return nullptr;
    return std::unique_ptr<GnomePointerSettings>(new GnomePointerSettings(settings));
}

// Only made once GIO is open.
GnomePointerSettings::~GnomePointerSettings() {
    gioLibrary()->settingsSync();
    gioLibrary()->objectUnref(gs(settings_));
}

std::string GnomePointerSettings::unsupported(PointerItem item) const {
    switch (item) {
    case PointerItem::ScrollLines:
        return "GNOME has no setting for the lines one wheel notch scrolls";
    case PointerItem::OneScreen:
        return "GNOME has no setting for scrolling a screen per wheel notch";
    default:
        return {};
    }
}

std::optional<PointerReading> GnomePointerSettings::read() {
    const GioLibrary& g = *gioLibrary();
    PointerReading r;
    r.speed = speedFromLibinput(g.getDouble(gs(settings_), kSpeedKey));
    gchar* profile = g.getString(gs(settings_), kProfileKey);
    // 'default' leaves it to the device, which for a mouse is the adaptive profile.
    r.accel = profile && std::strcmp(profile, "flat") == 0 ? kPrecisionOff : kPrecisionOn;
    g.free(profile);
    r.doubleClickMs = g.getInt(gs(settings_), kDoubleClickKey);
    return r;
}

void GnomePointerSettings::apply(const PointerValues& v) {
    const GioLibrary& g = *gioLibrary();
    GSettings* s = gs(settings_);
    g.setDouble(s, kSpeedKey, speedToLibinput(v.speed));
    gchar* profile = g.getString(s, kProfileKey);
    const bool flat = profile && std::strcmp(profile, "flat") == 0;
    g.free(profile);
    // Precision on keeps an adaptive or device-default profile as it is.
    if (!v.accel.on())
        g.setString(s, kProfileKey, "flat");
    else if (flat)
        g.setString(s, kProfileKey, "adaptive");
    g.setInt(s, kDoubleClickKey, v.doubleClickMs);
    g.settingsSync();
}

} // namespace krm
