#pragma once

#include "app/ctl/Commands.h"
#include "app/ctl/ConsoleUiPort.h"
#include "device/BackendFactory.h"
#include "device/Clock.h"
#include "session/ImageOperations.h"
#include "session/Session.h"

#include <memory>

namespace krm::ctl {

// krmctl's window: the core Session on the HID stack the global options chose, with the real clock
// and the console for messages. It accepts both variants.
class CtlSession {
public:
    // Builds the backend and the session; prints the reason and returns kBadFile when it cannot.
    int start(const GlobalOptions& options);
    // Opens, identifies and reads the mouse. Prints a clear message on stderr and returns kNoMouse
    // when there is none or it answers identification wrongly.
    int connect();
    // After an operation that restarted the mouse: kOk when it came back and was read again,
    // otherwise a message and kNoMouse.
    int checkReturned();

    Session& session() { return *session_; }
    ImageOperations& operations() { return *operations_; }
    HidBackend& backend() { return backend_->backend(); }
    SimulatedMouse* simulated() { return backend_->simulated(); }
    ConsoleUiPort& ui() { return ui_; }
    Clock& clock() { return clock_; }

private:
    SystemClock clock_;
    ConsoleUiPort ui_;
    std::unique_ptr<DeviceBackend> backend_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<ImageOperations> operations_;
};

// The exit code for an operation's result (its message was shown already).
int exitCodeFor(OperationResult result);

} // namespace krm::ctl
