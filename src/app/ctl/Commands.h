#pragma once

#include "base/GlobalOptions.h"

#include <string>
#include <vector>

namespace krm::ctl {

// Exit codes of krmctl.
enum Exit : int {
    kOk = 0,
    kUsage = 1,   // unknown command or bad arguments
    kNoMouse = 2, // no mouse, or it answered identification wrongly
    kBadFile = 3, // a file is missing, unreadable, short or has a bad marker
    kRefused = 4, // the change was refused by an editor rule
};

struct Context {
    GlobalOptions options;
    std::vector<std::string> args; // the command's own arguments
};

struct Command {
    const char* name;
    const char* synopsis; // arguments, shown in the usage text
    const char* summary;
    int (*run)(Context&);
};

// Every command krmctl knows, in the order the usage text lists them.
const std::vector<Command>& commands();

} // namespace krm::ctl
