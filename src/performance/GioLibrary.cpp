#include "performance/GioLibrary.h"

#include <dlfcn.h>

namespace krm {

namespace {

template <typename Function> bool resolve(void* library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(::dlsym(library, name));
    return entry != nullptr;
}

bool resolveAll(void* library, GioLibrary& gio) {
    return resolve(library, "g_free", gio.free) && resolve(library, "g_object_unref", gio.objectUnref) &&
           resolve(library, "g_settings_schema_source_get_default", gio.schemaSourceGetDefault) &&
           resolve(library, "g_settings_schema_source_lookup", gio.schemaSourceLookup) &&
           resolve(library, "g_settings_schema_has_key", gio.schemaHasKey) &&
           resolve(library, "g_settings_schema_unref", gio.schemaUnref) &&
           resolve(library, "g_settings_new_full", gio.settingsNewFull) &&
           resolve(library, "g_settings_sync", gio.settingsSync) &&
           resolve(library, "g_settings_get_double", gio.getDouble) &&
           resolve(library, "g_settings_get_int", gio.getInt) &&
           resolve(library, "g_settings_get_string", gio.getString) &&
           resolve(library, "g_settings_set_double", gio.setDouble) &&
           resolve(library, "g_settings_set_int", gio.setInt) &&
           resolve(library, "g_settings_set_string", gio.setString) &&
           resolve(library, "g_bus_get_sync", gio.busGetSync) &&
           resolve(library, "g_dbus_connection_emit_signal", gio.emitSignal) &&
           resolve(library, "g_dbus_connection_flush_sync", gio.flushSync) &&
           resolve(library, "g_variant_new", gio.variantNew);
}

} // namespace

const GioLibrary* gioLibrary() {
    static const GioLibrary* const kOpened = []() -> const GioLibrary* {
        // Kept open for the rest of the run: GIO cannot be unloaded once its types are registered.
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return nullptr;
        static GioLibrary gio{};
        if (!resolveAll(library, gio)) return nullptr;
        return &gio;
    }();
    return kOpened;
}

} // namespace krm
