#pragma once

#include "base/GlobalOptions.h"
#include "device/Clock.h"
#include "device/HidBackend.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace krm {

class SimulatedMachine;
class SimulatedMouse;
class TraceFile;
class TracingBackend;

// The HID stack a program talks to, as the global options choose it: the machine's (hidapi) or the
// simulated mouse of the chosen variant (with --sim-image and the --sim-fault faults), wrapped by the
// protocol trace when
// --trace or KRM_TRACE names a file.
class DeviceBackend {
public:
    // Null with `error` set when the options cannot be honoured (a bad --sim-image file, a trace
    // file that cannot be opened).
    static std::unique_ptr<DeviceBackend> create(const GlobalOptions& options, Clock& clock,
                                                 std::string& error);
    ~DeviceBackend();

    HidBackend& backend();
    // The simulated mouse (the first, when there are several), or null when talking to the real HID
    // stack.
    SimulatedMouse* simulated() const { return simulated_; }
    // Every simulated mouse, in the order their image files were given.
    std::vector<SimulatedMouse*> simulatedMice() const;
    // What to tell the user when a write to the trace file failed (it names the file and the reason).
    std::optional<std::string> traceFailure(const GlobalOptions& options) const;

private:
    DeviceBackend() = default;
    std::unique_ptr<HidBackend> base_;
    SimulatedMouse* simulated_ = nullptr;
    SimulatedMachine* machine_ = nullptr;
    std::unique_ptr<TraceFile> traceFile_;
    std::unique_ptr<TracingBackend> trace_;
};

} // namespace krm
