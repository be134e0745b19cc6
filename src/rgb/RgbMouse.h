#pragma once

#include "rgb/RgbProtocol.h"
#include "session/EditRequest.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krm {
class LightingEditor;
class Session;
} // namespace krm

namespace krm::rgb {

// One mouse as an RGB program sees it: a controller of type mouse with one zone of its LEDs and the
// modes the lighting page offers for its LED type, named in English.
struct MouseController {
    ControllerInfo info;
    std::vector<int> userItems;    // the lighting page's item (1..7) of each mode, in the same order
    std::optional<int> perLedMode; // the mode whose colour is the LEDs' (SetCustomMode switches to it)
};
MouseController describeMouse(Session& session);
// The LEDs of its one zone: the NT and MCU LEDs as many as the mouse is set for, the others driven as one.
int mouseLedCount(const LightingEditor& editor);

// What clients asked of one mouse that it may not hold yet. The colours are those of the lighting
// page's colour table; the LEDs' own colour is colour 1, the one every mode that shows one colour shows.
struct LightingWish {
    std::optional<int> userItem;
    std::optional<int> speed; // the page's speed level 1..10, or the MCU LEDs' step segment 1..8
    std::optional<bool> fullBright;
    std::vector<std::pair<int, Rgb>> colours; // table colour 1..10 and its value

    bool empty() const { return !userItem && !speed && !fullBright && colours.empty(); }
};

// An UpdateMode or SaveMode as a wish: the mode, and its speed, brightness and colours where the mode
// has them (clamped to its ranges). Nothing when the index names no mode of the controller.
std::optional<LightingWish> wishForMode(const MouseController& controller, const ModeChange& change);

// Brings the mouse to the wish with the lighting page's actions, each outcome handed to Session::apply
// in turn; nothing is asked for what the mouse holds already. Stops at the first outcome that was
// refused or did not reach the mouse, and returns it (what it was is in `failedWhat`); nothing when
// everything was taken.
struct WishFailure {
    std::string what; // "the mode", "the speed", "the brightness", "colour 3"
    EditOutcome outcome;
};
std::optional<WishFailure> carryOutWish(Session& session, const LightingWish& wish);

} // namespace krm::rgb
