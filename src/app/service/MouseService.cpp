#include "app/service/MouseService.h"

#include "app/ctl/BusNames.h"
#include "image/ImageFiles.h"
#include "rgb/RgbMouse.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace krm::service {

namespace {

std::uint8_t byteOf(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

std::string lightingModeName(Session& s) {
    if (!s.lighting().type()) return {};
    const rgb::ControllerInfo info = rgb::describeMouse(s).info;
    const auto active = static_cast<std::size_t>(info.activeMode);
    return active < info.modes.size() ? info.modes[active].name : std::string();
}

} // namespace

MouseState mouseState(Session& s) {
    MouseState m;
    const HidLocation where = s.link().location();
    m.id = where.device;
    m.node = where.node;
    m.serial = where.serial;
    m.vendorId = static_cast<std::uint16_t>(s.link().vendorId());
    m.productId = static_cast<std::uint16_t>(s.link().productId());
    m.chipCode = s.presence().chipCode();
    // Asked as the image read ends too, before the no-device state is cleared.
    m.ready = s.mouseOpen() && s.identified() && s.transfer().copiesTrusted();
    if (!m.ready) return m;
    m.variant = s.presence().chipModel();
    m.currentProfile = byteOf(s.mouseProfile());
    const DpiEditor& dpi = s.dpi();
    m.dpiLevel = byteOf(dpi.currentLevel().value_or(0));
    m.dpiLevelCount = byteOf(dpi.count());
    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
        const auto value = dpi.step(n) ? std::atoi(dpi.valueText(n).c_str()) : 0;
        m.dpiValues.push_back(static_cast<std::uint16_t>(std::clamp(value, 0, 65535)));
    }
    if (m.dpiLevel >= 1) m.dpi = m.dpiValues[m.dpiLevel - 1];
    m.reportRate = static_cast<std::uint16_t>(dpi.reportRate());
    m.lightingMode = lightingModeName(s);
    return m;
}

std::vector<std::string> changedProperties(const MouseState& a, const MouseState& b) {
    std::vector<std::string> names;
    const auto check = [&names](bool differs, const char* name) {
        if (differs) names.emplace_back(name);
    };
    check(a.id != b.id, "Id");
    check(a.node != b.node, "Node");
    check(a.serial != b.serial, "Serial");
    check(a.variant != b.variant, "Variant");
    check(a.vendorId != b.vendorId, "VendorId");
    check(a.productId != b.productId, "ProductId");
    check(a.chipCode != b.chipCode, "ChipCode");
    check(a.ready != b.ready, "Ready");
    check(a.currentProfile != b.currentProfile, "CurrentProfile");
    check(a.dpiLevel != b.dpiLevel, "DpiLevel");
    check(a.dpiLevelCount != b.dpiLevelCount, "DpiLevelCount");
    check(a.dpi != b.dpi, "Dpi");
    check(a.dpiValues != b.dpiValues, "DpiValues");
    check(a.reportRate != b.reportRate, "ReportRate");
    check(a.lightingMode != b.lightingMode, "LightingMode");
    return names;
}

std::string mouseObjectPath(const std::string& id) {
    std::string path = bus::kMousePathPrefix;
    for (const char c : id) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
            path += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "_%02x", u);
            path += escaped;
        }
    }
    return id.empty() ? path + "_" : path;
}

std::vector<Button> buttons(Session& s, int profile) {
    std::vector<Button> list;
    if (profile < 1 || profile > codes::kProfileCount) return list;
    for (int b = 1; b <= codes::kButtonsPerProfile; ++b)
        list.push_back({b, s.assignments().code(profile, b), s.assignments().tableCaption(profile, b)});
    return list;
}

std::vector<Macro> macros(Session& s) {
    std::vector<Macro> list;
    const auto& entries = s.macros().deviceMacros().entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        list.push_back({static_cast<int>(i), macroNameText(entries[i].name)});
    return list;
}

namespace {
ctl::ClientRun command(const RunCommand& run, std::vector<std::string> args) {
    return run(args, "/");
}
std::string number(int value) {
    return std::to_string(value);
}
} // namespace

ctl::ClientRun selectProfile(const RunCommand& run, int profile) {
    return command(run, {"profile", number(profile)});
}
ctl::ClientRun setDpi(const RunCommand& run, int level, int dpi) {
    return command(run, {"dpi", "set", number(level), number(dpi)});
}
ctl::ClientRun setDpiLevelCount(const RunCommand& run, int count) {
    return command(run, {"dpi", "count", number(count)});
}
ctl::ClientRun setDpiLevel(const RunCommand& run, int level) {
    return command(run, {"dpi", "current", number(level)});
}
ctl::ClientRun setReportRate(const RunCommand& run, int hz) {
    return command(run, {"rate", number(hz)});
}
ctl::ClientRun setButton(const RunCommand& run, int profile, int button, const std::string& code) {
    return command(run, {"assign", number(profile), number(button), code});
}
ctl::ClientRun setLightingMode(const RunCommand& run, const std::string& mode) {
    return command(run, {"lighting", "mode", mode});
}
ctl::ClientRun setLightingSpeed(const RunCommand& run, int speed) {
    return command(run, {"lighting", "speed", number(speed)});
}
ctl::ClientRun setColour(const RunCommand& run, int index, const std::string& colour) {
    return command(run, {"lighting", "colour", number(index), colour});
}
ctl::ClientRun addMacro(const RunCommand& run, const std::string& name) {
    return command(run, {"macro", "add", name});
}
ctl::ClientRun deleteMacro(const RunCommand& run, int slot) {
    return command(run, {"macro", "delete", number(slot)});
}
ctl::ClientRun setFireSlot(const RunCommand& run, int slot, int repeat, int interval, bool continuous) {
    std::vector<std::string> args = {"fire",         "slot",       number(slot),    "--repeat",
                                     number(repeat), "--interval", number(interval)};
    if (continuous) args.emplace_back("--continue");
    return command(run, args);
}

namespace {

// A file of the owner's own for one settings text, removed when done.
class SettingsScratch {
public:
    explicit SettingsScratch(const std::string& folder) : path_(folder + "/krm-settings-XXXXXX.ini") {
        const int fd = ::mkstemps(path_.data(), 4);
        if (fd < 0)
            path_.clear();
        else
            ::close(fd);
    }
    ~SettingsScratch() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    SettingsScratch(const SettingsScratch&) = delete;
    SettingsScratch& operator=(const SettingsScratch&) = delete;
    const std::string& path() const { return path_; }
    bool write(const std::string& text) const {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        return !path_.empty() && !writeFileAtomically(path_, std::span(bytes, text.size()));
    }

private:
    std::string path_;
};

ctl::ClientRun noScratch(const std::string& folder) {
    return {ctl::kBadFile, "", "krmctl: no settings file can be made in " + folder + "\n"};
}

} // namespace

ctl::ClientRun exportSettings(const RunCommand& run, const std::string& folder, std::string& text) {
    const SettingsScratch file(folder);
    if (file.path().empty()) return noScratch(folder);
    ctl::ClientRun r = command(run, {"export", file.path()});
    if (r.code == ctl::kOk) {
        const auto bytes = readFilePrefix(file.path(), kMaxInputFileBytes);
        if (bytes) text.assign(bytes.value->begin(), bytes.value->end());
    }
    return r;
}

ctl::ClientRun diffSettings(const RunCommand& run, const std::string& folder, const std::string& text) {
    const SettingsScratch file(folder);
    if (!file.write(text)) return noScratch(folder);
    return command(run, {"diff", file.path()});
}

ctl::ClientRun applySettings(const RunCommand& run, const std::string& folder, const std::string& text) {
    const SettingsScratch file(folder);
    if (!file.write(text)) return noScratch(folder);
    return command(run, {"apply", file.path()});
}

std::string errorName(int code) {
    switch (code) {
    case ctl::kNoMouse:
        return "io.krm.Error.NoMouse";
    case ctl::kBadFile:
        return "io.krm.Error.File";
    case ctl::kRefused:
        return "io.krm.Error.Refused";
    case ctl::kTransfer:
        return "io.krm.Error.Transfer";
    case ctl::kBusy:
        return "io.krm.Error.Busy";
    default:
        return "io.krm.Error.Usage";
    }
}

std::string errorMessage(const ctl::ClientRun& run) {
    std::string message;
    std::size_t at = 0;
    while (at < run.err.size()) {
        std::size_t end = run.err.find('\n', at);
        if (end == std::string::npos) end = run.err.size();
        std::string line = run.err.substr(at, end - at);
        if (line.starts_with("krmctl: ")) line.erase(0, 8);
        if (!line.empty()) message += (message.empty() ? "" : "\n") + line;
        at = end + 1;
    }
    return message.empty() ? "the request failed" : message;
}

} // namespace krm::service
