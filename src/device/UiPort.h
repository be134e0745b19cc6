#pragma once

#include <functional>
#include <string>

namespace krm {

// The main window's three timers.
enum class UiTimer { DevTimer, DevTimerFirst, LabelRun };

// What the core asks of a front end. The window implements it with Qt; krmctl with the console;
// tests with a recorder.
class UiPort {
public:
    virtual ~UiPort() = default;

    // Place the busy window over the main window and show it / hide it.
    virtual void showBusy() = 0;
    virtual void hideBusy() = 0;
    // Let pending window messages (timer ticks, repaints) run in the middle of a transfer. The user's
    // clicks and keys are not among them: they wait until the transfer is done.
    virtual void processEvents() = 0;
    // Modal message box with one OK button, in the current language's font.
    virtual void showMessage(const std::string& text) = 0;
    // Show or hide the cover labels that keep the pages from being clicked.
    virtual void setPagesCovered(bool covered) = 0;
    virtual void setTimerEnabled(UiTimer timer, bool enabled) = 0;
    // Close any open drop-down or pop-up menu.
    virtual void closeMenus() = 0;
    // Run fn on the UI thread (queued; returns at once). Called from the input reader thread.
    virtual void runOnUiThread(std::function<void()> fn) = 0;
};

} // namespace krm
