#pragma once

#include "app/ctl/Commands.h"

namespace krm::ctl {

// The device macros and the PC macro library.
int runMacros(Context& ctx); // macros
int runMacro(Context& ctx);  // macro export FILE [NAME] | import FILE | add NAME | delete SLOT

} // namespace krm::ctl
