#pragma once

#include "device/Clock.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"
#include "session/Session.h"
#include "support/RecordingUiPort.h"
#include "support/TraceSummary.h"

#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// A whole session against the simulated mouse on virtual time, seen through the protocol trace,
// with a recording window: what the window or krmctl would hold.
struct SessionRig {
    explicit SessionRig(Variant variant = Variant::R210B, Branding branding = bothVariants())
        : mouse(variant, clock), session(trace, clock, ui, std::move(branding)) {
        session.setDeviceIdEntry0();
        session.loadDefaultImages();
    }

    static Branding bothVariants() {
        Branding b;
        b.icConfigType = 0;
        return b;
    }

    FakeClock clock;
    SimulatedMouse mouse;
    std::ostringstream traceText;
    TracingBackend trace{mouse, traceText};
    RecordingUiPort ui;
    Session session;

    std::vector<std::string> lines() const { return traceLines(traceText.str()); }
    void clearTrace() { traceText.str(""); }
};

} // namespace krm::test
