#pragma once

#include "device/UiPort.h"
#include "image/ImageFiles.h"
#include "session/ImageOperations.h"
#include "settings/SettingsPlan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

class Session;

// The text of a settings file: a regular file of at most 1 MiB holding text (a NUL byte says it is
// not one: a profile image chosen by mistake).
FileResult<std::string> readSettingsText(const std::string& path);

// The mouse's settings written to `path` as a whole or not at all, with the header for `date`.
std::optional<FileError> writeSettingsFile(Session& session, const std::string& path, std::string_view date);

// The local date and time as a file header gives it: "2025-01-31 14:02".
std::string settingsDate();

// A file's problems, one a line: "FILE:LINE: message".
std::vector<std::string> problemLines(const std::string& path, const std::vector<SettingsProblem>& problems);

// One change as the commands print it: "[performance] level2: 1600 -> 2400".
std::string changeLine(const SettingChange& change);

// A chosen name ending in ".ini" (in any case) names a settings file; any other a profile image.
bool isSettingsFileName(const std::string& path);

// The window's Save and Load buttons: profile images as before, settings files beside them. The mouse
// is checked first (Str022 without one), then the file chosen; every problem is shown through the UI
// port in one message.
class ProfileFiles {
public:
    ProfileFiles(Session& session, ImageOperations& operations, UiPort& ui);

    // A settings file gets the mouse's settings; another name a profile image (".bin" added).
    OperationResult save(const ChooseFile& choose);
    // A settings file is judged whole, then applied; another file is loaded as a profile image.
    OperationResult load(const ChooseFile& choose);

private:
    std::optional<std::string> chosen(const ChooseFile& choose);

    Session& s_;
    ImageOperations& operations_;
    UiPort& ui_;
};

} // namespace krm
