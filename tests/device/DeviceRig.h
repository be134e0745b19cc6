#pragma once

#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"
#include "support/RecordingUiPort.h"
#include "support/TraceSummary.h"

#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// The simulated mouse on virtual time, seen through the protocol trace, with a link and the command
// set on top and a recording window.
struct DeviceRig {
    explicit DeviceRig(Variant variant = Variant::R210B) : mouse(variant, clock) {}

    FakeClock clock;
    SimulatedMouse mouse;
    std::ostringstream traceText;
    TracingBackend trace{mouse, traceText};
    DeviceLink link{trace};
    RecordingUiPort ui;
    DeviceCommands commands{link, clock, ui};

    bool open() { return link.openFromTable(DeviceIdTable{}) >= 0; }

    // The trace so far, one entry per line; clearTrace() starts afresh.
    std::vector<std::string> lines() const { return traceLines(traceText.str()); }
    void clearTrace() { traceText.str(""); }
};

} // namespace krm::test
