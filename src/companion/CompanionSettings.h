#pragma once

#include "image/ImageFiles.h"

#include <optional>
#include <string>

namespace krm {

// The background companion's settings, $XDG_CONFIG_HOME/krm/companion.ini:
//   [Notices]
//   Show = yes        ; on-screen notices when the mouse's own buttons switch the DPI level or profile
struct CompanionSettings {
    bool notices = true;

    static std::string defaultPath();
    // What the file holds; the defaults for a missing or unreadable file or a value it does not know.
    static CompanionSettings load(const std::string& path);
    // Written atomically, the folder made when it is missing.
    std::optional<FileError> save(const std::string& path) const;
};

// The XDG autostart entry that starts `krmconfig --background` with the desktop:
// $XDG_CONFIG_HOME/autostart/io.krm.krmconfig-background.desktop.
namespace autostart {
std::string entryPath();
// The entry for `program` (an absolute path; quoted as desktop entries need it).
std::string entryText(const std::string& program);
// The entry is there and not hidden.
bool enabled(const std::string& path);
std::optional<FileError> enable(const std::string& path, const std::string& program);
std::optional<FileError> disable(const std::string& path);
} // namespace autostart

} // namespace krm
