#include "performance/PointerSettings.h"

#include <algorithm>
#include <array>

namespace krm {

namespace {

constexpr std::array<int, 11> kSpeeds = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
constexpr int kSlowestDoubleClick = 900; // ms at step 1
constexpr int kDoubleClickStride = 70;   // ms per step

// What an unreadable value counts as.
constexpr int kUnreadableSpeed = 20;
constexpr int kUnreadableDoubleClick = 480;
constexpr int kUnreadableScrollLines = 2;

int clampStep(int step) {
    return std::clamp(step, 1, 11);
}

} // namespace

int speedForStep(int step) {
    return kSpeeds[static_cast<std::size_t>(clampStep(step) - 1)];
}

int doubleClickForStep(int step) {
    return kSlowestDoubleClick - kDoubleClickStride * (clampStep(step) - 1);
}

int stepForSpeed(int speed) {
    if (speed == 0 || speed == 1) return 1;
    if (speed == 20) return 11;
    // Two values per step; 10 and 11 (and anything out of range) are the middle step.
    if (speed >= 2 && speed <= 19 && speed != 10 && speed != 11) return speed / 2 + 1;
    return 6;
}

int stepForDoubleClick(int ms) {
    if (ms >= kSlowestDoubleClick) return 1;
    return std::min(11, 2 + (kSlowestDoubleClick - 1 - ms) / kDoubleClickStride);
}

int stepForScrollLines(int lines) {
    if (lines == 0) return 3;
    if (lines >= 1 && lines <= 11 && lines != 10) return lines;
    return 10;
}

int pointerSliderStep(int x) {
    constexpr int kStart = -7, kStride = 26;
    if (x <= kStart) return 1;
    for (int i = 0; i <= 10; ++i)
        if (kStart + kStride * i < x && x <= kStart + kStride * (i + 1)) return i + 1;
    return 11;
}

bool PointerPanel::load() {
    const auto r = desktop_->read();
    loaded_ = r.has_value();
    if (!r) return false;
    speedStep_ = stepForSpeed(r->speed.value_or(kUnreadableSpeed));
    accel_ = r->accel.value_or(kPrecisionOff).on() ? kPrecisionOn : kPrecisionOff;
    doubleClickStep_ = stepForDoubleClick(r->doubleClickMs.value_or(kUnreadableDoubleClick));
    const int lines = r->scrollLines.value_or(kUnreadableScrollLines);
    if (lines == kOneScreen) {
        scrollLines_ = kOneScreen;
        scrollStep_ = 1;
    } else {
        scrollStep_ = stepForScrollLines(lines);
        scrollLines_ = scrollStep_;
    }
    return true;
}

PointerValues PointerPanel::values() const {
    return {speedForStep(speedStep_), accel_, doubleClickForStep(doubleClickStep_), scrollLines_};
}

void PointerPanel::apply() {
    desktop_->apply(values());
}

void PointerPanel::setSpeedStep(int step) {
    speedStep_ = clampStep(step);
    apply();
}

void PointerPanel::setDoubleClickStep(int step) {
    doubleClickStep_ = clampStep(step);
    apply();
}

void PointerPanel::setScrollStep(int step) {
    scrollStep_ = clampStep(step);
    scrollLines_ = scrollStep_;
    apply();
}

void PointerPanel::togglePrecision() {
    accel_ = accel_.on() ? kPrecisionOff : kPrecisionOn;
    apply();
}

void PointerPanel::toggleOneScreen() {
    scrollLines_ = oneScreen() ? scrollStep_ : kOneScreen;
    apply();
}

std::string MemoryPointerSettings::unsupported(PointerItem item) const {
    return reasons[static_cast<std::size_t>(item)];
}

std::optional<PointerReading> MemoryPointerSettings::read() {
    return reading;
}

void MemoryPointerSettings::apply(const PointerValues& values) {
    applied.push_back(values);
    reading = PointerReading{values.speed, values.accel, values.doubleClickMs, values.scrollLines};
}

} // namespace krm
