#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace krm {

// One keyboard or mouse-button event taken while a macro is recorded.
struct InputEvent {
    enum class Kind { KeyDown, KeyUp, ButtonDown, ButtonUp };
    // Mouse buttons; the first extra button is Backward, the second Forward.
    enum class Button { Left, Right, Middle, Backward, Forward };

    Kind kind = Kind::KeyDown;
    unsigned virtualKey = 0; // keys: the Windows virtual-key code the key tables start from
    Button button = Button::Left;
    std::uint64_t timeMs = 0;   // a steady clock in milliseconds; only differences count
    bool onOwnControls = false; // a click on the recording page's own buttons (Record, New, ...)
    bool autoRepeat = false;    // a key-down the keyboard repeats while the key is held

    bool isKey() const { return kind == Kind::KeyDown || kind == Kind::KeyUp; }
    bool isDown() const { return kind == Kind::KeyDown || kind == Kind::ButtonDown; }
};

// Where recorded input comes from. An implementation delivers every key and button event of the
// source to the sink, on a thread of its own or on the caller's, until stop() returns; the consumer
// hands events over to its own thread. Implementations: the X11 one (XInput2 raw events on the root
// window: the whole screen, no grab, no special rights), the in-window Qt one (Wayland, or X servers
// without XInput2), and ScriptedInputCapture for tests. The fire-macro recorder uses the same port.
class InputCapture {
public:
    using Sink = std::function<void(const InputEvent&)>;
    virtual ~InputCapture() = default;
    // Starts delivering; false with the reason in `error` when this source cannot capture here.
    virtual bool start(Sink sink, std::string& error) = 0;
    // Stops delivering; a capture thread has been joined when this returns. Stopping twice is fine.
    virtual void stop() = 0;
    // True when input anywhere on the screen is seen, false when only the window's own input is.
    virtual bool wholeScreen() const = 0;
};

// A capture that delivers what a test gives it, at once, on the test's thread.
class ScriptedInputCapture final : public InputCapture {
public:
    bool start(Sink sink, std::string& error) override {
        if (!available) {
            error = "no input source";
            return false;
        }
        sink_ = std::move(sink);
        return true;
    }
    void stop() override { sink_ = nullptr; }
    bool wholeScreen() const override { return true; }

    // Delivers the events while started (dropped otherwise, as a stopped source sends nothing).
    void play(const std::vector<InputEvent>& events) {
        for (const InputEvent& e : events)
            if (sink_) sink_(e);
    }
    bool started() const { return static_cast<bool>(sink_); }
    bool available = true;

private:
    Sink sink_;
};

} // namespace krm
