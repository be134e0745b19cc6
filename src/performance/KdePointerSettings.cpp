#include "performance/DesktopPointerSettings.h"

#include "base/UserFolders.h"
#include "image/ImageFiles.h"

#include "performance/GioLibrary.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace krm {

namespace {

constexpr const char* kInputFile = "kcminputrc";
constexpr const char* kGlobalsFile = "kdeglobals";

// Plasma's own defaults for keys it has not written yet.
constexpr int kDefaultDoubleClick = 400;
constexpr int kDefaultWheelLines = 3;

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::optional<int> toInt(const std::optional<std::string>& s) {
    if (!s) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(s->c_str(), &end, 10);
    if (end == s->c_str() || *end != '\0') return std::nullopt;
    return static_cast<int>(v);
}

std::optional<double> toDouble(const std::optional<std::string>& s) {
    if (!s) return std::nullopt;
    std::istringstream in(*s);
    in.imbue(std::locale::classic());
    double v = 0;
    if (!(in >> v)) return std::nullopt;
    return v;
}

// Running KDE applications re-read their mouse settings on this signal (SettingsChanged, mouse).
// Without GIO the files are still written; applications see them when they next start.
void notifyPlasma() {
    const GioLibrary* gio = gioLibrary();
    if (!gio) return;
    GDBusConnection* bus = gio->busGetSync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus) return;
    gio->emitSignal(bus, nullptr, "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                    gio->variantNew("(ii)", 3, 0), nullptr);
    gio->flushSync(bus, nullptr, nullptr);
    gio->objectUnref(bus);
}

} // namespace

std::optional<std::string> kdeConfigValue(const std::string& text, const std::string& group,
                                          const std::string& key) {
    std::istringstream in(text);
    std::string current;
    std::optional<std::string> found;
    for (std::string line; std::getline(in, line);) {
        const std::string t = trim(line);
        if (t.starts_with('[')) {
            current = t;
            continue;
        }
        if (current != "[" + group + "]") continue;
        const auto eq = t.find('=');
        if (eq != std::string::npos && trim(t.substr(0, eq)) == key) found = trim(t.substr(eq + 1));
    }
    return found;
}

std::string kdeConfigWithValue(const std::string& text, const std::string& group, const std::string& key,
                               const std::string& value) {
    const std::string header = "[" + group + "]";
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::string entry = key + "=" + value;
    std::string current;
    std::ptrdiff_t groupEnd = -1; // index after the group's last line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string t = trim(lines[i]);
        if (t.starts_with('[')) {
            current = t;
            if (t == header) groupEnd = static_cast<std::ptrdiff_t>(i) + 1;
            continue;
        }
        if (current != header) continue;
        if (!t.empty()) groupEnd = static_cast<std::ptrdiff_t>(i) + 1;
        const auto eq = t.find('=');
        if (eq != std::string::npos && trim(t.substr(0, eq)) == key) {
            lines[i] = entry;
            groupEnd = -2; // replaced
            break;
        }
    }
    if (groupEnd == -1) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back(header);
        lines.push_back(entry);
    } else if (groupEnd >= 0) {
        lines.insert(lines.begin() + groupEnd, entry);
    }
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

KdePointerSettings::KdePointerSettings(std::string configDir)
    : dir_(configDir.empty() ? userConfigFolder() : std::move(configDir)) {}

std::string KdePointerSettings::unsupported(PointerItem item) const {
    if (item == PointerItem::OneScreen)
        return "KDE Plasma has no setting for scrolling a screen per wheel notch";
    return {};
}

std::optional<PointerReading> KdePointerSettings::read() {
    const std::string input = readText(dir_ + "/" + kInputFile).value_or("");
    const std::string globals = readText(dir_ + "/" + kGlobalsFile).value_or("");
    PointerReading r;
    r.speed =
        speedFromLibinput(toDouble(kdeConfigValue(input, "Mouse", "XLbInptPointerAcceleration")).value_or(0));
    r.accel =
        kdeConfigValue(input, "Mouse", "XLbInptAccelProfileFlat") == "true" ? kPrecisionOff : kPrecisionOn;
    r.doubleClickMs =
        toInt(kdeConfigValue(globals, "KDE", "DoubleClickInterval")).value_or(kDefaultDoubleClick);
    r.scrollLines = toInt(kdeConfigValue(globals, "KDE", "WheelScrollLines")).value_or(kDefaultWheelLines);
    return r;
}

void KdePointerSettings::apply(const PointerValues& v) {
    lastError_.clear();
    auto update = [this](const char* file, const std::vector<std::pair<std::string, std::string>>& entries,
                         const std::string& group) {
        const std::string path = dir_ + "/" + file;
        std::string text = readText(path).value_or("");
        for (const auto& [key, value] : entries) text = kdeConfigWithValue(text, group, key, value);
        const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
        if (auto error = writeFileAtomically(path, std::span(data, text.size())))
            lastError_ = std::string(file) + ": " + error->message;
    };
    std::ostringstream speed;
    speed.imbue(std::locale::classic());
    speed << speedToLibinput(v.speed);
    update(kInputFile,
           {{"XLbInptPointerAcceleration", speed.str()},
            {"XLbInptAccelProfileFlat", v.accel.on() ? "false" : "true"}},
           "Mouse");
    std::vector<std::pair<std::string, std::string>> globals{
        {"DoubleClickInterval", std::to_string(v.doubleClickMs)}};
    // One screen per notch has no Plasma value: the lines stay as they were then.
    if (v.scrollLines > 0) globals.emplace_back("WheelScrollLines", std::to_string(v.scrollLines));
    update(kGlobalsFile, globals, "KDE");
    notifyPlasma();
}

} // namespace krm
