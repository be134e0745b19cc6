#include "base/SimFault.h"

#include <cstdio>

namespace krm {

namespace {

struct Name {
    const char* text;
    SimFault::Kind kind;
};
constexpr Name kNames[] = {
    {"refuse-all", SimFault::Kind::RefuseAll}, {"fetch-fail", SimFault::Kind::FetchFail},
    {"short", SimFault::Kind::Short},          {"garbage", SimFault::Kind::Garbage},
    {"vanish", SimFault::Kind::Vanish},        {"events", SimFault::Kind::Events},
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

const char* const kSimFaultHelp =
    "  --sim-fault KIND[@N]      give the simulated mouse a fault from its report N+1 on (N\n"
    "                            defaults to 0; repeatable). KIND: refuse-all (every command\n"
    "                            refused), refuse-XX (command XX, hex, refused), fetch-fail (every\n"
    "                            fetch fails), short (fetches answered with 4 of 8 bytes), garbage\n"
    "                            (fetches return noise), vanish (the mouse is unplugged), events\n"
    "                            (it presses CPI and profile: events 01,00,08,00, 400 ms apart)\n";

std::optional<SimFault> parseSimFault(std::string_view text, std::string& error) {
    const std::string original(text);
    auto fail = [&](const std::string& why) -> std::optional<SimFault> {
        error = "--sim-fault " + original + ": " + why;
        return std::nullopt;
    };
    SimFault fault;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        const std::string_view count = text.substr(at + 1);
        if (count.empty() || count.size() > 9 ||
            count.find_first_not_of("0123456789") != std::string_view::npos)
            return fail("the number after '@' is a count of reports (0 or more)");
        fault.after = 0;
        for (char c : count) fault.after = fault.after * 10 + (c - '0');
        text = text.substr(0, at);
    }
    for (const auto& n : kNames) {
        if (text == n.text) {
            fault.kind = n.kind;
            return fault;
        }
    }
    if (text.starts_with("refuse-") && text.size() == 9) {
        const int hi = hexDigit(text[7]), lo = hexDigit(text[8]);
        if (hi >= 0 && lo >= 0) {
            fault.kind = SimFault::Kind::RefuseCommand;
            fault.command = static_cast<std::uint8_t>(hi * 16 + lo);
            return fault;
        }
    }
    return fail("the kind is one of refuse-all, refuse-XX (XX: a command code in hex), fetch-fail, "
                "short, garbage, vanish, events");
}

std::string simFaultText(const SimFault& fault) {
    std::string text;
    if (fault.kind == SimFault::Kind::RefuseCommand) {
        char code[16];
        std::snprintf(code, sizeof code, "refuse-%02x", fault.command);
        text = code;
    } else {
        for (const auto& n : kNames)
            if (n.kind == fault.kind) text = n.text;
    }
    if (fault.after > 0) text += "@" + std::to_string(fault.after);
    return text;
}

} // namespace krm
