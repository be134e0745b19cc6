#pragma once

#include "base/GlobalOptions.h"
#include "device/Clock.h"

#include <optional>
#include <string>
#include <vector>

namespace krm::ctl {

// Exit codes of krmctl.
enum Exit : int {
    kOk = 0,
    kDiffers = 1,  // diff: the mouse differs from the settings file (no other run ends with 1)
    kNoMouse = 2,  // no mouse, or it answered identification wrongly
    kBadFile = 3,  // a file is missing, unreadable, short, has a bad marker or is a settings file with errors
    kRefused = 4,  // the change was refused by an editor rule, or the mouse cannot take a settings file
    kTransfer = 5, // a read or write did not move whole, or the mouse read back differs from what was sent
    kUsage = 64,   // unknown command, option or bad arguments (sysexits' EX_USAGE): never taken for a diff
};

struct Context {
    Clock* clock = nullptr; // the machine's clock when null; tests pass virtual time
    GlobalOptions options;
    std::vector<std::string> args; // the command's own arguments
    // Set when the session ends if the trace file could not be written whole: the run then fails.
    mutable std::optional<std::string> traceFailure;
    // Set when the session ends if the simulated mouse's image file could not keep a change: the mouse
    // refused that write, and the run fails as a file problem (exit 3).
    mutable std::optional<std::string> simImageFailure;
};

struct Command {
    const char* name;
    const char* synopsis; // arguments, shown in the usage text
    const char* summary;
    int (*run)(Context&);
};

// Every command krmctl knows, in the order the usage text lists them.
const std::vector<Command>& commands();

// krmctl as a whole: options, then the command; returns the exit code. `clock` null: the machine's.
int run(int argc, const char* const* argv, Clock* clock);

} // namespace krm::ctl
