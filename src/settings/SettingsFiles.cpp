#include "settings/SettingsFiles.h"

#include "base/IniFile.h"
#include "session/Session.h"

#include <algorithm>
#include <ctime>

namespace krm {

FileResult<std::string> readSettingsText(const std::string& path) {
    using R = FileResult<std::string>;
    const auto bytes = readFilePrefix(path, kMaxInputFileBytes);
    if (!bytes) return R::fail(bytes.error.kind, bytes.error.message);
    if (std::find(bytes.value->begin(), bytes.value->end(), 0) != bytes.value->end())
        return R::fail(FileErrorKind::WrongSize,
                       "\"" + path + "\" is not a settings file: it holds binary data (a profile image?).");
    return R{std::string(bytes.value->begin(), bytes.value->end()), {}};
}

std::optional<FileError> writeSettingsFile(Session& session, const std::string& path, std::string_view date) {
    const std::string text = formatSettings(readSettings(session), settingsHeader(session, date));
    return writeFileAtomically(path,
                               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string settingsDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::vector<std::string> problemLines(const std::string& path, const std::vector<SettingsProblem>& problems) {
    std::vector<std::string> out;
    for (const SettingsProblem& p : problems)
        out.push_back(path + (p.line > 0 ? ":" + std::to_string(p.line) : std::string()) + ": " + p.message);
    return out;
}

std::string changeLine(const SettingChange& c) {
    return "[" + c.section + "] " + c.key + ": " + c.from + " -> " + c.to;
}

bool isSettingsFileName(const std::string& path) {
    return path.size() > 4 && foldCase(path.substr(path.size() - 4)) == ".ini";
}

ProfileFiles::ProfileFiles(Session& session, ImageOperations& operations, UiPort& ui)
    : s_(session), operations_(operations), ui_(ui) {}

std::optional<std::string> ProfileFiles::chosen(const ChooseFile& choose) {
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return std::nullopt;
    }
    return choose ? choose() : std::nullopt;
}

OperationResult ProfileFiles::save(const ChooseFile& choose) {
    const auto path = chosen(choose);
    if (!path) return s_.mouseOpen() ? OperationResult::Cancelled : OperationResult::NoMouse;
    if (!isSettingsFileName(*path))
        return operations_.saveProfile([&] { return path; }, ImageOperations::BinSuffix::AddWhenMissing);
    if (const auto error = writeSettingsFile(s_, *path, settingsDate())) {
        ui_.showMessage(error->message);
        return OperationResult::FileRefused;
    }
    return OperationResult::Done;
}

OperationResult ProfileFiles::load(const ChooseFile& choose) {
    const auto path = chosen(choose);
    if (!path) return s_.mouseOpen() ? OperationResult::Cancelled : OperationResult::NoMouse;
    if (!isSettingsFileName(*path)) return operations_.loadProfileFile([&] { return path; });
    const auto text = readSettingsText(*path);
    if (!text) {
        ui_.showMessage(text.error.message);
        return OperationResult::FileRefused;
    }
    const SettingsPlan plan = planSettings(parseSettings(*text.value), s_);
    if (!plan.problems.empty()) {
        std::string message = "\"" + *path + "\" was not applied; nothing was sent:";
        for (const SettingsProblem& p : plan.problems)
            message +=
                "\n" + (p.line > 0 ? "line " + std::to_string(p.line) + ": " : std::string()) + p.message;
        ui_.showMessage(message);
        return OperationResult::FileRefused;
    }
    const ApplyResult result = applySettings(plan, s_);
    switch (result.kind) {
    case ApplyResult::Kind::Done: {
        // What may be wrong with a file that applied is said after it.
        std::string warned;
        for (const SettingsProblem& w : plan.wanted.warnings)
            warned += "\nline " + std::to_string(w.line) + ": " + w.message;
        if (!warned.empty()) ui_.showMessage("\"" + *path + "\" was applied. Note:" + warned);
        return OperationResult::Done;
    }
    case ApplyResult::Kind::Refused:
        ui_.showMessage(result.message);
        return OperationResult::FileRefused;
    case ApplyResult::Kind::WriteFailed: // the session has shown what was not written
        return OperationResult::WriteFailed;
    case ApplyResult::Kind::MouseLost:
        ui_.showMessage(result.message);
        return OperationResult::NotVerified;
    }
    return OperationResult::Done;
}

} // namespace krm
