#include "performance/DesktopPointerSettings.h"

#include <gio/gio.h>

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
    // g_settings_new aborts on a schema that is not installed: look it up first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kSchema, TRUE);
    if (!schema) return nullptr;
    const bool complete = g_settings_schema_has_key(schema, kSpeedKey) &&
                          g_settings_schema_has_key(schema, kProfileKey) &&
                          g_settings_schema_has_key(schema, kDoubleClickKey);
    GSettings* settings = complete ? g_settings_new_full(schema, nullptr, nullptr) : nullptr;
    g_settings_schema_unref(schema);
    if (!settings) return nullptr;
    return std::unique_ptr<GnomePointerSettings>(new GnomePointerSettings(settings));
}

GnomePointerSettings::~GnomePointerSettings() {
    g_settings_sync();
    g_object_unref(gs(settings_));
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
    PointerReading r;
    r.speed = speedFromLibinput(g_settings_get_double(gs(settings_), kSpeedKey));
    gchar* profile = g_settings_get_string(gs(settings_), kProfileKey);
    // 'default' leaves it to the device, which for a mouse is the adaptive profile.
    r.accel = profile && std::strcmp(profile, "flat") == 0 ? kPrecisionOff : kPrecisionOn;
    g_free(profile);
    r.doubleClickMs = g_settings_get_int(gs(settings_), kDoubleClickKey);
    return r;
}

void GnomePointerSettings::apply(const PointerValues& v) {
    GSettings* s = gs(settings_);
    g_settings_set_double(s, kSpeedKey, speedToLibinput(v.speed));
    gchar* profile = g_settings_get_string(s, kProfileKey);
    const bool flat = profile && std::strcmp(profile, "flat") == 0;
    g_free(profile);
    // Precision on keeps an adaptive or device-default profile as it is.
    if (!v.accel.on())
        g_settings_set_string(s, kProfileKey, "flat");
    else if (flat)
        g_settings_set_string(s, kProfileKey, "adaptive");
    g_settings_set_int(s, kDoubleClickKey, v.doubleClickMs);
    g_settings_sync();
}

} // namespace krm
