#pragma once

// The names under which the program that owns a mouse serves it on the session bus. The interfaces'
// whole description is packaging/dbus/io.krm.krmconfig.xml; these are the names both sides need.
namespace krm::bus {

inline constexpr const char* kServiceName = "io.krm.krmconfig";
inline constexpr const char* kRootPath = "/io/krm/krmconfig";
inline constexpr const char* kConfiguratorInterface = "io.krm.Configurator1";
inline constexpr const char* kMouseInterface = "io.krm.Mouse1";
// One object per mouse: kMousePathPrefix + the mouse's id, every character but a letter or digit
// written as _ and its two hex digits (see mouseObjectPath).
inline constexpr const char* kMousePathPrefix = "/io/krm/krmconfig/mouse/";

} // namespace krm::bus
