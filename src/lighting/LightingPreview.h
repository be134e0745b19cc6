#pragma once

#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <array>
#include <cstdint>

namespace krm {

class LightingEditor;

// What the mouse's LEDs do in a mode, as the preview draws it.
enum class LightEffect {
    Off,
    Fixed,        // colour 1 of the table, steady
    BreathInTurn, // breathing; each breath takes the next table colour
    RandomBreath, // breathing; each breath takes a table colour in a scrambled order
    Blend,        // full brightness, fading from one table colour to the next each cycle
    DpiColour,    // the current DPI level's colour, steady
    DpiBreath,    // the current DPI level's colour, breathing
    SyncBreath,   // single-colour LEDs breathing
    SyncSteady,   // single-colour LEDs lit
    ColourSteps,  // full brightness, the next table colour after every ramp
    Rainbow,      // the hue wheel once per cycle
    Seasons,      // a slow blend through colours 1..4
};

LightEffect effectOf(LedType type, int mode);
// How many colours of the table, from colour 1 on, the effect shows (0: none of them).
int tableColoursShown(LightEffect effect);

// The fields the preview is computed from; the same ones the editor writes to the mouse.
struct PreviewInput {
    LedType type = LedType::RGB;
    int mode = 0;
    Breathing breathing;
    std::array<Rgb, 10> table{};
    std::array<Rgb, 8> dpi{};
    int dpiLevel = 0;         // 0..7
    std::uint8_t mcuStep = 0; // byte 1016 (above 7 counts as 0)
};
PreviewInput previewInputOf(const LightingEditor& editor);

// The colour the mouse shows at a time, for the current mode. Times are ms from the start of the
// preview. The breathing curve rises from the lower to the upper brightness in kRampSteps steps of the
// step time, holds the upper brightness for the upper hold time, falls the same way and holds the
// lower brightness for the lower hold time (hold times in ms, brightness 0..65535 of full).
class LightingPreview {
public:
    static constexpr int kRampSteps = 128;

    explicit LightingPreview(const PreviewInput& in);

    LightEffect effect() const { return effect_; }
    // False when the colour does not change over time: the view draws once and runs no timer.
    bool animated() const;
    // The step time of one ramp step in ms (at least 1); MCU LEDs take theirs from the speed step.
    int stepMs() const;
    std::int64_t rampMs() const { return std::int64_t{kRampSteps} * stepMs(); }
    // One breath: rise, upper hold, fall, lower hold.
    std::int64_t cycleMs() const;
    // The breathing curve: brightness 0..1 at time t.
    double brightnessAt(std::int64_t ms) const;
    Rgb colourAt(std::int64_t ms) const;

private:
    PreviewInput in_;
    LightEffect effect_;
};

} // namespace krm
