#pragma once

#include "image/ConfigImage.h"
#include "image/DefaultImages.h"
#include "image/ImageFiles.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace krm {

// What a dump knows besides the image.
struct DumpContext {
    std::string source; // where the image came from: a file path, or the mouse
    // The ids the open mouse reported (a mouse dump only).
    std::optional<UsbIds> deviceIds;
    // The display name of a function code text; when set, every code is printed with its name.
    std::function<std::string(std::string_view codeText)> functionName;
};

// Every field of the unpacked image by name, as the editors see it (repaired sections show their
// generated defaults and say so). Field order is stable.
nlohmann::ordered_json dumpImageJson(const ImageState& state, const DumpContext& ctx);

// The same content as indented plain text, one field per line.
std::string dumpImageText(const ImageState& state, const DumpContext& ctx);
// Plain-text rendering of any dump tree (exposed for the mouse dump, which adds device fields).
std::string renderDumpText(const nlohmann::ordered_json& tree);

// A profile file decoded for reading without a mouse: refused like a load (unreadable, shorter than
// 2048 bytes, no marker), otherwise the dump of the image with the given variant's layout. Sections are
// checked as right after a mouse was found: no LED type known yet and no cb_Package selection.
FileResult<std::string> dumpProfileFile(const std::string& path, Variant variant, bool json);

} // namespace krm
