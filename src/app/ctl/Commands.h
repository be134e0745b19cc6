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
    kUsage = 1,    // unknown command or bad arguments
    kDiffers = 1,  // diff: the mouse differs from the settings file
    kNoMouse = 2,  // no mouse, or it answered identification wrongly
    kBadFile = 3,  // a file is missing, unreadable, short, has a bad marker or is a settings file with errors
    kRefused = 4,  // the change was refused by an editor rule, or the mouse cannot take a settings file
    kTransfer = 5, // a read or write did not move whole, or the mouse read back differs from what was sent
    kBusy = 6,     // another program held the mouse for as long as krmctl waited for it
};

struct Context {
    Clock* clock = nullptr; // the machine's clock when null; tests pass virtual time
    GlobalOptions options;
    std::vector<std::string> args; // the command's own arguments
    // Set when the session ends if the trace file could not be written whole: the run then fails.
    mutable std::optional<std::string> traceFailure;
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
