#pragma once

#include <gio/gio.h>

namespace krm {

// GIO (GSettings and the session bus) for the desktops' pointer settings, opened when they are first
// asked for rather than linked: the window does not load GIO and its dependencies (1 MB and a dozen
// libraries) at every start for a page seldom opened. The entries have GIO's own types.
struct GioLibrary {
    decltype(&g_free) free;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault;
    decltype(&g_settings_schema_source_lookup) schemaSourceLookup;
    decltype(&g_settings_schema_has_key) schemaHasKey;
    decltype(&g_settings_schema_unref) schemaUnref;
    decltype(&g_settings_new_full) settingsNewFull;
    decltype(&g_settings_sync) settingsSync;
    decltype(&g_settings_get_double) getDouble;
    decltype(&g_settings_get_int) getInt;
    decltype(&g_settings_get_string) getString;
    decltype(&g_settings_set_double) setDouble;
    decltype(&g_settings_set_int) setInt;
    decltype(&g_settings_set_string) setString;
    decltype(&g_bus_get_sync) busGetSync;
    decltype(&g_dbus_connection_emit_signal) emitSignal;
    decltype(&g_dbus_connection_flush_sync) flushSync;
    decltype(&g_variant_new) variantNew;
};

// Opened once and kept; nothing when the library or one of its entries is missing.
const GioLibrary* gioLibrary();

} // namespace krm
