#include "companion/CompanionSettings.h"

#include "base/IniFile.h"
#include "base/UserFolders.h"
#include "companion/ProfileRules.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace krm {

namespace {

std::optional<IniFile> readIni(const std::string& path) {
    auto bytes = readFilePrefix(path, kMaxInputFileBytes);
    if (!bytes) return std::nullopt;
    return IniFile::parse(
        std::string_view(reinterpret_cast<const char*>(bytes.value->data()), bytes.value->size()));
}

// A desktop entry's Exec argument: quoted when it holds anything a shell-like split would cut. Inside
// the quotes '"', '`', '$' and '\' take a backslash, and the entry's string escaping doubles each
// backslash once more; '%' is written twice, as field codes start with it.
std::string execArgument(const std::string& program) {
    if (program.find_first_of(" \t\"'\\$`<>~|&;*?#()") == std::string::npos) return program;
    std::string out = "\"";
    for (char c : program) {
        if (c == '\\')
            out += "\\\\\\\\";
        else if (c == '%')
            out += "%%";
        else if (c == '"' || c == '`' || c == '$')
            out += std::string("\\\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

} // namespace

std::string CompanionSettings::defaultPath() {
    return userConfigFolder() + "/krm/companion.ini";
}

CompanionSettings CompanionSettings::load(const std::string& path) {
    CompanionSettings s;
    if (auto ini = readIni(path)) {
        const std::string show = foldCase(ini->text("Notices", "Show").value_or("yes"));
        s.notices = !(show == "no" || show == "off" || show == "false" || show == "0");
        const std::string serve = foldCase(ini->text("RGB", "Serve").value_or("no"));
        s.serveRgb = serve == "yes" || serve == "on" || serve == "true" || serve == "1";
        if (const auto port = parseDecimalIn(ini->text("RGB", "Port").value_or(""), 0, 65535))
            s.rgbPort = *port;
        if (const auto address = ini->text("RGB", "Address"); address && !address->empty())
            s.rgbAddress = *address;
    }
    return s;
}

std::optional<FileError> CompanionSettings::save(const std::string& path) const {
    return writeTextFile(path, std::string("[Notices]\nShow = ") + (notices ? "yes" : "no") +
                                   "\n\n[RGB]\nServe = " + (serveRgb ? "yes" : "no") + "\nPort = " +
                                   std::to_string(rgbPort) + "\nAddress = " + rgbAddress + "\n");
}

namespace autostart {

std::string entryPath() {
    return userConfigFolder() + "/autostart/" + kFileName;
}

std::optional<std::string> systemEntryPath() {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/etc/xdg";
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t end = std::min(list.find(':', at), list.size());
        const std::string path = list.substr(at, end - at) + "/autostart/" + kFileName;
        if (end > at && std::filesystem::is_regular_file(path)) return path;
        at = end + 1;
    }
    return std::nullopt;
}

std::string entryText(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Gaming Mouse in the background\n"
           "Comment=Tray icon, on-screen notices and per-game profiles of the KRM mouse\n"
           "Exec=" +
           execArgument(program) +
           " --background\n"
           "Icon=io.krm.krmconfig\n"
           "Terminal=false\n"
           "NoDisplay=true\n";
}

namespace {
// Whether an entry file is there and not hidden; nothing when there is no such file.
std::optional<bool> entryOn(const std::string& path) {
    auto ini = readIni(path);
    if (!ini) return std::nullopt;
    return foldCase(ini->text("Desktop Entry", "Hidden").value_or("false")) != "true";
}
} // namespace

bool enabled(const std::string& path, const std::optional<std::string>& systemPath) {
    if (const auto user = entryOn(path)) return *user;
    return systemPath && entryOn(*systemPath).value_or(false);
}

std::optional<FileError> set(bool on, const std::string& path, const std::optional<std::string>& systemPath,
                             const std::string& program) {
    if (on) return writeTextFile(path, entryText(program));
    if (systemPath && entryOn(*systemPath).value_or(false))
        return writeTextFile(path, entryText(program) + "Hidden=true\n");
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return std::nullopt;
    return FileError{FileErrorKind::CannotCreate, "Cannot remove \"" + path + "\". " + std::strerror(errno)};
}

} // namespace autostart

} // namespace krm
