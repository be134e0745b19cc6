#pragma once

#include "macros/InputCapture.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace krm::gui {

// Recorded input from the application's own windows (an event filter on the application): what a
// Wayland session, or an X server without XInput 2, lets a program see. Events arrive on the UI
// thread.
class QtInputCapture final : public QObject, public InputCapture {
public:
    bool start(Sink sink, std::string& error) override;
    void stop() override;
    bool wholeScreen() const override { return false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Sink sink_;
    bool installed_ = false;
};

// Starts `capture` with its events delivered to `handler` on `owner`'s thread (sources such as XInput 2
// report from a thread of their own), and never after `owner` is gone.
bool startCaptureFor(InputCapture& capture, QObject* owner, std::function<void(const InputEvent&)> handler,
                     std::string& error);

// The best source here: XInput2 on an X session when it works, else the in-window one. `note` is
// set, for the page to show, when recording sees only this program's window.
std::unique_ptr<InputCapture> makeRecorderInput(std::string& note);

} // namespace krm::gui
