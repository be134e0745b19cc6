#pragma once

#include "macros/InputCapture.h"

#include <memory>
#include <string>

namespace krm::gui {

// Recorded input from an X server: XInput2 raw key and button events selected on the root window of
// its own connection, read on a thread of its own. It sees the whole screen, grabs nothing and needs
// no special rights. Keys are turned into Windows virtual-key codes through their keysyms; buttons 1,
// 2, 3, 8 and 9 are left, middle, right, backward and forward (the wheel is not recorded).
class X11InputCapture final : public InputCapture {
public:
    // `display`: the X display to open; empty means $DISPLAY.
    explicit X11InputCapture(std::string display = {});
    ~X11InputCapture() override;
    X11InputCapture(const X11InputCapture&) = delete;
    X11InputCapture& operator=(const X11InputCapture&) = delete;

    // False, with the reason, without an X display or without XInput 2 there.
    bool start(Sink sink, std::string& error) override;
    void stop() override;
    bool wholeScreen() const override { return true; }

    // Whether this build was made with XInput2 at all.
    static bool compiledIn();

private:
    struct Impl;
    std::string display_;
    std::unique_ptr<Impl> impl_;
};

} // namespace krm::gui
