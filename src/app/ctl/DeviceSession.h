#pragma once

#include "app/ctl/Commands.h"
#include "app/ctl/ConsoleUiPort.h"
#include "device/BackendFactory.h"
#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/DeviceIdTable.h"
#include "device/DeviceLink.h"
#include "image/ImageLayout.h"

#include <memory>

namespace krm::ctl {

// The HID stack the global options chose, and on it the mouse once open() has found and identified it.
class DeviceSession {
public:
    // Builds the backend; prints the reason and returns an exit code other than kOk when it cannot.
    int start(const GlobalOptions& options);
    // Opens the mouse through the device id table and identifies it (either variant). Prints a clear
    // message on stderr and returns kNoMouse when there is no mouse or it answers wrongly.
    int open();

    HidBackend& backend() { return backend_->backend(); }
    SimulatedMouse* simulated() { return backend_->simulated(); }
    DeviceLink& link() { return *link_; }
    DeviceCommands& commands() { return *commands_; }
    UiPort& ui() { return ui_; }
    Clock& clock() { return clock_; }
    const DeviceIdTable& table() const { return table_; }

    Variant variant = Variant::R210B;
    std::uint8_t chipCode = 0;

private:
    SystemClock clock_;
    ConsoleUiPort ui_;
    DeviceIdTable table_;
    std::unique_ptr<DeviceBackend> backend_;
    std::unique_ptr<DeviceLink> link_;
    std::unique_ptr<DeviceCommands> commands_;
};

// The options and the machine's table: entry 1 from the embedded R230B default image 1 (the image a
// build that accepts both variants takes it from), when the program carries one.
DeviceIdTable defaultDeviceIdTable();

} // namespace krm::ctl
