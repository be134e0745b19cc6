#pragma once

#include "device/Clock.h"
#include "device/UiPort.h"

#include <functional>
#include <string>

namespace krm::gui {

class MainWindow;

// The window's side of UiPort: the busy window, nested event processing (without the user's input, which
// waits until the mouse is written), the message box, the cover labels, the timers and the menus of the
// main window. The port exists before the window (the session
// needs it first); until a window is set, the window's parts are simply absent.
class QtUiPort final : public UiPort {
public:
    QtUiPort() = default;
    explicit QtUiPort(MainWindow& window) : window_(&window) {}
    void setWindow(MainWindow* window) { window_ = window; }
    // Where messages go while there is no window (the background companion before its window is opened).
    void setMessageFallback(std::function<void(const std::string&)> show) { fallback_ = std::move(show); }
    // The core is letting events run in the middle of its work (a transfer, a presence poll): what starts
    // new device work waits.
    bool inNestedEvents() const { return nested_ > 0; }
    // Writes made for another program (the RGB server's) rather than the user: while set, the device
    // link's waits for the mouse on this thread (the settle time after each write) let events run,
    // without the user's input, instead of sleeping, and the busy window stays down. A stream of colours
    // thus leaves the window's event loop turning and does not flash the busy window at the user.
    void setBackgroundWrites(bool on) { backgroundWrites_ = on; }
    bool backgroundWrites() const { return backgroundWrites_; }
    // Waits `ms` running events as processEvents() does.
    void waitWithEvents(int ms);

    void showBusy() override;
    void hideBusy() override;
    void processEvents() override;
    void showMessage(const std::string& text) override;
    void setPagesCovered(bool covered) override;
    void setTimerEnabled(UiTimer timer, bool enabled) override;
    void closeMenus() override;
    void runOnUiThread(std::function<void()> fn) override;

private:
    MainWindow* window_ = nullptr;
    std::function<void(const std::string&)> fallback_;
    int nested_ = 0;
    bool backgroundWrites_ = false;
};

// The window's clock: the machine's, but a wait on the window's thread while the port's
// backgroundWrites() is set runs events (QtUiPort::waitWithEvents) instead of sleeping.
class EventClock final : public Clock {
public:
    explicit EventClock(QtUiPort& ui) : ui_(ui) {}
    void sleepMs(int ms) override;
    void waitMicroseconds(int us) override { system_.waitMicroseconds(us); }
    std::uint64_t tickMs() override { return system_.tickMs(); }

private:
    QtUiPort& ui_;
    SystemClock system_;
};

} // namespace krm::gui
