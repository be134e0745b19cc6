#pragma once

#include "base/SimFault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace krm {

// USB vendor and product id of a mouse.
struct MouseIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The options both programs understand.
struct GlobalOptions {
    bool simulate = false;
    std::string simVariant = "R210B"; // "R210B" or "R230B"
    std::string simImage;             // --sim-image FILE: the simulated mouse keeps its image there
    // A second --sim-image and those after it: one more simulated mouse each (a machine with several).
    std::vector<std::string> moreSimImages;
    std::string device;              // --device ID|NODE|N: the mouse to talk to when several are attached
    std::vector<SimFault> simFaults; // --sim-fault KIND[@N], in the order given
    std::string trace;               // --trace FILE, or KRM_TRACE
    std::optional<MouseIds> ids;     // --ids VID:PID (hex): also look for the mouse under these ids
    std::string screenshots;         // krmconfig only: --screenshots DIR
    bool engineering = false;        // krmconfig only: --engineering shows the engineering page's button
    bool help = false;
    bool version = false;
    std::vector<std::string> rest; // everything that is not a global option, in order
    std::string error;             // set when an option is malformed
};

// Takes the global options out of argv (anywhere on the line) and leaves the rest in `rest`.
// --sim-image and --sim-fault imply --simulate; --sim-image given again adds a simulated mouse. Reads
// KRM_TRACE when --trace is not given. windowOptions admits the window's own options, --screenshots and
// --engineering.
GlobalOptions parseGlobalOptions(int argc, const char* const* argv, bool windowOptions);

} // namespace krm
