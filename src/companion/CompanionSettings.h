#pragma once

#include "image/ImageFiles.h"

#include <optional>
#include <string>

namespace krm {

// The background companion's settings, $XDG_CONFIG_HOME/krm/companion.ini:
//   [Notices]
//   Show = yes        ; on-screen notices when the mouse's own buttons switch the DPI level or profile
//   [RGB]
//   Serve = no        ; the RGB-sync server, in the window and the companion alike
//   Port = 6742
//   Address = 127.0.0.1
struct CompanionSettings {
    bool notices = true;
    bool serveRgb = false;
    int rgbPort = 6742; // the port RGB programs look at first; 0: one the system picks
    std::string rgbAddress = "127.0.0.1";

    static std::string defaultPath();
    // What the file holds; the defaults for a missing or unreadable file or a value it does not know.
    static CompanionSettings load(const std::string& path);
    // Written atomically, the folder made when it is missing.
    std::optional<FileError> save(const std::string& path) const;
};

// The XDG autostart entry that starts `krmconfig --background` with the desktop. The package puts a
// hidden one into $XDG_CONFIG_DIRS/autostart (/etc/xdg/autostart: an administrator may turn it on for
// everyone); the user's own, $XDG_CONFIG_HOME/autostart/io.krm.krmconfig-background.desktop, takes its
// place when it is there.
namespace autostart {
inline constexpr const char* kFileName = "io.krm.krmconfig-background.desktop";
std::string entryPath();
// The desktop's entry of that name: the first in $XDG_CONFIG_DIRS (default /etc/xdg), or none.
std::optional<std::string> systemEntryPath();
// The entry for `program` (an absolute path; quoted as desktop entries need it).
std::string entryText(const std::string& program);
// Whether the desktop starts it: the user's entry decides when there is one, else the desktop's.
bool enabled(const std::string& path, const std::optional<std::string>& systemPath);
// On: the user's entry for `program` is written. Off: the user's entry is removed, or, while the
// desktop's own would start it, written hidden.
std::optional<FileError> set(bool on, const std::string& path, const std::optional<std::string>& systemPath,
                             const std::string& program);
} // namespace autostart

} // namespace krm
