#include "base/GlobalOptions.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace krm {

namespace {

// "VVVV:PPPP", each one to four hex digits and not zero.
std::optional<MouseIds> parseMouseIds(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    auto hex = [](std::string_view part) -> std::optional<std::uint16_t> {
        std::uint16_t value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value, 16);
        if (part.empty() || part.size() > 4 || ec != std::errc() || end != part.data() + part.size() ||
            value == 0)
            return std::nullopt;
        return value;
    };
    const auto vendor = hex(text.substr(0, colon)), product = hex(text.substr(colon + 1));
    if (!vendor || !product) return std::nullopt;
    return MouseIds{*vendor, *product};
}

} // namespace

GlobalOptions parseGlobalOptions(int argc, const char* const* argv, bool windowOptions) {
    GlobalOptions o;
    auto fail = [&o](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    // "--name VALUE" or "--name=VALUE"
    auto takeValue = [&](int& i, std::string_view arg, std::string_view name, std::string& out) {
        if (arg == name) {
            if (i + 1 >= argc) {
                fail(std::string(name) + " needs a value");
                return true;
            }
            out = argv[++i];
            return true;
        }
        if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=') {
            out = std::string(arg.substr(name.size() + 1));
            return true;
        }
        return false;
    };

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--simulate") {
            o.simulate = true;
        } else if (arg.starts_with("--simulate=")) {
            o.simulate = true;
            std::string v(arg.substr(11));
            for (char& c : v) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (v != "R210B" && v != "R230B")
                fail("--simulate takes R210B or R230B, not " + std::string(arg.substr(11)));
            else
                o.simVariant = v;
        } else if (std::string fault; takeValue(i, arg, "--sim-fault", fault)) {
            std::string error;
            if (const auto f = parseSimFault(fault, error))
                o.simFaults.push_back(*f);
            else
                fail(error); // after "needs a value" when the value is missing: the first error stands
        } else if (std::string image; takeValue(i, arg, "--sim-image", image)) {
            (o.simImage.empty() ? o.simImage : o.moreSimImages.emplace_back()) = image;
        } else if (takeValue(i, arg, "--device", o.device)) {
        } else if (takeValue(i, arg, "--trace", o.trace)) {
        } else if (std::string ids; takeValue(i, arg, "--ids", ids)) {
            if (const auto parsed = parseMouseIds(ids))
                o.ids = parsed;
            else if (!ids.empty())
                fail("--ids takes the mouse's USB vendor and product id in hex, as 1234:5678 (not zero), not "
                     "'" +
                     ids + "'");
        } else if (windowOptions && takeValue(i, arg, "--screenshots", o.screenshots)) {
        } else if (windowOptions && arg == "--engineering") {
            o.engineering = true;
        } else if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else {
            o.rest.emplace_back(arg);
        }
    }
    if (!o.simImage.empty() || !o.simFaults.empty()) o.simulate = true;
    if (o.trace.empty()) {
        if (const char* env = std::getenv("KRM_TRACE"); env && *env) o.trace = env;
    }
    return o;
}

} // namespace krm
