#include "lighting/LightingPreview.h"

#include "lighting/LightingEditor.h"

#include <algorithm>
#include <cmath>

namespace krm {

namespace {

constexpr Rgb kWhite{255, 255, 255};

Rgb scaled(Rgb c, double f) {
    auto part = [f](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::lround(v * std::clamp(f, 0.0, 1.0)));
    };
    return {part(c.r), part(c.g), part(c.b)};
}

Rgb mix(Rgb a, Rgb b, double f) {
    auto part = [f](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * std::clamp(f, 0.0, 1.0)));
    };
    return {part(a.r, b.r), part(a.g, b.g), part(a.b, b.b)};
}

Rgb hue(double turn) {
    const double h = (turn - std::floor(turn)) * 6.0;
    const int sector = static_cast<int>(h) % 6;
    const double f = h - std::floor(h);
    const auto up = static_cast<std::uint8_t>(std::lround(255 * f));
    const auto down = static_cast<std::uint8_t>(255 - up);
    switch (sector) {
    case 0:
        return {255, up, 0};
    case 1:
        return {down, 255, 0};
    case 2:
        return {0, 255, up};
    case 3:
        return {0, down, 255};
    case 4:
        return {up, 0, 255};
    default:
        return {255, 0, down};
    }
}

std::size_t wrap(std::int64_t i, std::size_t n) {
    return static_cast<std::size_t>(((i % static_cast<std::int64_t>(n)) + static_cast<std::int64_t>(n)) %
                                    static_cast<std::int64_t>(n));
}

} // namespace

LightEffect effectOf(LedType type, int mode) {
    switch (type) {
    case LedType::RGB: {
        constexpr LightEffect kEffects[] = {LightEffect::Off,          LightEffect::RandomBreath,
                                            LightEffect::BreathInTurn, LightEffect::Fixed,
                                            LightEffect::Blend,        LightEffect::DpiColour};
        return mode >= 0 && mode < 6 ? kEffects[mode] : LightEffect::Off;
    }
    case LedType::Sync:
        return mode == 1 ? LightEffect::SyncBreath : mode == 2 ? LightEffect::SyncSteady : LightEffect::Off;
    case LedType::NT:
        switch (mode) {
        case 1:
            return LightEffect::RandomBreath;
        case 2:
            return LightEffect::Blend;
        case 4:
            return LightEffect::Fixed;
        case 5:
            return LightEffect::DpiBreath;
        default:
            return LightEffect::Off;
        }
    case LedType::MCULED: {
        constexpr LightEffect kEffects[] = {LightEffect::DpiColour,    LightEffect::ColourSteps,
                                            LightEffect::Rainbow,      LightEffect::Blend,
                                            LightEffect::BreathInTurn, LightEffect::Seasons};
        return mode >= 1 && mode <= 6 ? kEffects[mode - 1] : LightEffect::Off;
    }
    }
    return LightEffect::Off;
}

int tableColoursShown(LightEffect effect) {
    switch (effect) {
    case LightEffect::Fixed:
        return 1;
    case LightEffect::BreathInTurn:
    case LightEffect::RandomBreath:
    case LightEffect::Blend:
    case LightEffect::ColourSteps:
        return 10;
    case LightEffect::Seasons:
        return 4;
    default:
        return 0;
    }
}

PreviewInput previewInputOf(const LightingEditor& e) {
    PreviewInput in;
    in.type = e.type().value_or(LedType::RGB);
    in.mode = e.currentMode();
    in.breathing = e.breathing();
    for (int n = 1; n <= 10; ++n) in.table[static_cast<std::size_t>(n - 1)] = e.tableColour(n);
    for (int n = 1; n <= 8; ++n) in.dpi[static_cast<std::size_t>(n - 1)] = e.dpiColour(n);
    in.dpiLevel = e.currentDpiLevel();
    in.mcuStep = static_cast<std::uint8_t>(8 - e.mcuStepSegment());
    return in;
}

LightingPreview::LightingPreview(const PreviewInput& in) : in_(in), effect_(effectOf(in.type, in.mode)) {}

bool LightingPreview::animated() const {
    switch (effect_) {
    case LightEffect::Off:
    case LightEffect::Fixed:
    case LightEffect::DpiColour:
    case LightEffect::SyncSteady:
        return false;
    default:
        return true;
    }
}

int LightingPreview::stepMs() const {
    if (in_.type == LedType::MCULED) return 5 * ((in_.mcuStep > 7 ? 0 : in_.mcuStep) + 1);
    return std::max<int>(1, in_.breathing.stepTime);
}

std::int64_t LightingPreview::cycleMs() const {
    return 2 * rampMs() + in_.breathing.upperHold + in_.breathing.lowerHold;
}

double LightingPreview::brightnessAt(std::int64_t ms) const {
    const double lower = in_.breathing.lowerBrightness / 65535.0;
    const double upper = in_.breathing.upperBrightness / 65535.0;
    const std::int64_t ramp = rampMs(), hold = in_.breathing.upperHold;
    const std::int64_t p = ((ms % cycleMs()) + cycleMs()) % cycleMs();
    if (p < ramp) return lower + (upper - lower) * static_cast<double>(p) / static_cast<double>(ramp);
    if (p < ramp + hold) return upper;
    if (p < 2 * ramp + hold)
        return upper - (upper - lower) * static_cast<double>(p - ramp - hold) / static_cast<double>(ramp);
    return lower;
}

Rgb LightingPreview::colourAt(std::int64_t ms) const {
    const auto& table = in_.table;
    const std::int64_t cycle = cycleMs();
    const std::int64_t breath = ms >= 0 ? ms / cycle : (ms - cycle + 1) / cycle;
    const double inCycle = static_cast<double>(ms - breath * cycle) / static_cast<double>(cycle);
    const Rgb dpi = in_.dpi[static_cast<std::size_t>(std::clamp(in_.dpiLevel, 0, 7))];
    switch (effect_) {
    case LightEffect::Off:
        return {};
    case LightEffect::Fixed:
        return table[0];
    case LightEffect::BreathInTurn:
        return scaled(table[wrap(breath, table.size())], brightnessAt(ms));
    case LightEffect::RandomBreath:
        // A fixed scramble of the table: every colour once per ten breaths, never twice in a row.
        return scaled(table[wrap(breath * 7 + 3, table.size())], brightnessAt(ms));
    case LightEffect::Blend:
        return mix(table[wrap(breath, table.size())], table[wrap(breath + 1, table.size())], inCycle);
    case LightEffect::DpiColour:
        return dpi;
    case LightEffect::DpiBreath:
        return scaled(dpi, brightnessAt(ms));
    case LightEffect::SyncBreath:
        return scaled(kWhite, brightnessAt(ms));
    case LightEffect::SyncSteady:
        return kWhite;
    case LightEffect::ColourSteps:
        return table[wrap(ms / rampMs(), table.size())];
    case LightEffect::Rainbow:
        return hue(inCycle);
    case LightEffect::Seasons: {
        const std::int64_t season = breath / 2;
        const double f = static_cast<double>(ms - season * 2 * cycle) / static_cast<double>(2 * cycle);
        return mix(table[wrap(season, 4)], table[wrap(season + 1, 4)], f);
    }
    }
    return {};
}

} // namespace krm
