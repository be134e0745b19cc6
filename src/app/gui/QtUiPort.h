#pragma once

#include "device/UiPort.h"

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
};

} // namespace krm::gui
