#pragma once

#include "app/ctl/Commands.h"

namespace krm::ctl {

// The commands that move whole images and prepared data between files and the mouse.
int runDump(Context& ctx);            // dump [--json]
int runSave(Context& ctx);            // save FILE
int runLoad(Context& ctx);            // load FILE
int runRestore(Context& ctx);         // restore 1|2|3
int runProgram(Context& ctx);         // program PATCHFILE
int runImportMacros(Context& ctx);    // import-macros FILE
int runImportGunMacros(Context& ctx); // import-gun-macros FILE
int runAssign(Context& ctx);          // assign PROFILE BUTTON CODE

} // namespace krm::ctl
