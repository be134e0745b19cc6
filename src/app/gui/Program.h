#pragma once

#include "app/gui/MainWindow.h"
#include "app/gui/QtUiPort.h"
#include "base/GlobalOptions.h"
#include "device/BackendFactory.h"
#include "device/Clock.h"
#include "session/Session.h"

#include <memory>
#include <string>

namespace krm::gui {

// The configurator as its options make it: the HID stack they choose (the machine's, or the simulated
// mouse with its image file and faults, behind the protocol trace), the session and the main window,
// created in that order and taken down in the reverse. `krmconfig` runs one; the live-window tests start
// one, end it and start another on the same image file, as a user restarts the program.
class Program {
public:
    // Null with `error` set when the options cannot be honoured (a bad --sim-image, an unwritable trace).
    // The window is created (formCreate) but not shown; without `withWindow` there is none (the
    // background companion builds its own when first opened).
    static std::unique_ptr<Program> create(const GlobalOptions& options, std::string& error,
                                           bool withWindow = true);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the window and creates its busy window, which starts the first presence poll.
    void show();

    MainWindow& window() { return *window_; }
    Session& session() { return *session_; }
    QtUiPort& ui() { return ui_; }
    Clock& clock() { return clock_; }
    DeviceBackend& device() { return *device_; }

private:
    Program() = default;

    QtUiPort ui_;
    EventClock clock_{ui_}; // the machine's; the RGB server's writes let events run while they wait
    std::unique_ptr<DeviceBackend> device_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace krm::gui
