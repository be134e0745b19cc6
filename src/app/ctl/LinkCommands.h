#pragma once

#include "app/ctl/Commands.h"

namespace krm::ctl {

// The commands that reach the mouse over the device link.
int runList(Context& ctx);      // list
int runInfo(Context& ctx);      // info
int runReadImage(Context& ctx); // read-image FILE
int runMonitor(Context& ctx);   // monitor [--count N] [--sim-events CODES]

} // namespace krm::ctl
