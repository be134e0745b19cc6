#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace krm {

// A fault the simulated mouse is given (--sim-fault KIND[@N]): it takes effect after N feature
// reports have passed (N = 0: from the first report on) and lasts from then on.
struct SimFault {
    enum class Kind {
        RefuseAll,     // refuse-all: every command report is refused
        RefuseCommand, // refuse-XX: command reports with code XX (hex) are refused
        FetchFail,     // fetch-fail: every fetch fails
        Short,         // short: every fetch is answered with 4 of its 8 bytes
        Garbage,       // garbage: fetches return noise (never ':' in byte 1)
        Vanish,        // vanish: the mouse is unplugged; the report that meets it fails
        Events,        // events: the mouse presses and releases CPI, then profile (01,00,08,00)
    };
    Kind kind = Kind::RefuseAll;
    std::uint8_t command = 0; // RefuseCommand only
    int after = 0;            // feature reports that pass before the fault takes effect

    bool operator==(const SimFault&) const = default;
};

// "refuse-0d@3" -> {RefuseCommand, 0x0D, 3}. Nothing, with `error` set, for text of another form.
std::optional<SimFault> parseSimFault(std::string_view text, std::string& error);
// The text form again ("refuse-0d@3"; "@0" is left out).
std::string simFaultText(const SimFault& fault);

// The option's lines for the --help texts of every program that takes it (each ends with '\n').
extern const char* const kSimFaultHelp;

} // namespace krm
