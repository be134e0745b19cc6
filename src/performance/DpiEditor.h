#pragma once

#include "base/TextSource.h"
#include "image/ConfigImage.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace krm {

// The DPI levels and the report rate. The mouse switches between up to eight levels, each holding a
// value step 0..11 whose text is the language's Str300 + step; one level is current, and the USB
// report rate is 125, 250, 500 or 1000 Hz. The level values, count and current level live here, not in
// the section copy: a nibble pair is always written from this state. Each action returns what the
// mouse is sent, in order.
class DpiEditor final : public Editor {
public:
    static constexpr int kMaxLevels = 8;
    static constexpr int kSteps = 12;
    static constexpr int kNoValue = 15; // level nibble of a level without a value

    // `copies` are the session's section copies (byte 4's other bits and the level colours are read
    // there); `refreshGuard` is set while the window is filled from an image: nothing is sent then.
    DpiEditor(const SectionCopies& copies, std::function<bool()> refreshGuard);

    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource& texts) override;

    // --- state ---
    int count() const { return count_; } // 1..8 enabled levels
    // The count list's item (count - 1), or nothing when the image held a count byte above 7.
    std::optional<int> countItem() const { return countItem_; }
    bool enabled(int level) const { return level >= 1 && level <= count_; }
    // The current level 1..8, or nothing when the mouse reported a level byte above 7.
    std::optional<int> currentLevel() const;
    // A level's step 0..11, or nothing when its nibble names no step (12..15).
    std::optional<int> step(int level) const;
    std::uint8_t nibble(int level) const { return nibbles_.at(index(level)); }
    // The level's value text in the active language; empty without a step.
    std::string valueText(int level) const;
    std::string stepText(int step) const;
    // 125, 250, 500 or 1000; 0 until the first image.
    int reportRate() const { return reportRate_; }
    // The level's colour as red, green, blue (the lighting page edits it).
    std::array<std::uint8_t, 3> colour(int level) const;

    // --- actions ---
    // A value segment, the engineering list or a released slider chose step `step` for `level`: the
    // nibble pair, then the current level re-sent (c - 1 or c + 1, then c) so the mouse applies it.
    EditOutcome setStep(int level, int step);
    // The slider of `level` is being dragged to `value` (0..1100): the stop its label shows now.
    int dragSlider(int level, int value);
    // The slider of `level` was let go at `value`, or clicked at `x` of a slider `width` pixels wide
    // when it was not dragged. Nothing is sent when the stop is the level's step already.
    EditOutcome releaseSlider(int level, int value, int x, int width);
    // A level's selector: it becomes current (sent even when it is current already).
    EditOutcome makeCurrent(int level);
    // A level's label: switches the level after the last enabled one on, or the last enabled one off.
    // Level 1 is never switched off (a count of 0 has no byte); clicks on other levels change nothing.
    // The mouse keeps its current level unless that level was switched off (see setCount).
    EditOutcome clickLevelLabel(int level);
    // The count list: `count` levels (1..8) are enabled. The current level stays as the mouse holds
    // it; when it is among those switched off, the last enabled level is made current (byte 166 sent).
    EditOutcome setCount(int count);
    // A report rate of 125, 250, 500 or 1000 Hz: byte 4 is sent; the mouse restarts when the rate
    // differs from the one it has.
    EditOutcome setReportRate(int hz);

    // The mouse's own DPI button made `level` (0-based byte 166 as read back) current.
    void currentChangedByMouse(int levelByte);

private:
    static std::size_t index(int level) { return static_cast<std::size_t>(level - 1); }
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    EditRequest write(std::size_t address, std::uint8_t value) const;
    void countChanged(int newCount, EditOutcome& out);
    void keepCurrentOn(EditOutcome& out);

    const SectionCopies& copies_;
    std::function<bool()> refreshGuard_;
    const TextSource* texts_ = nullptr;

    int count_ = 1;
    std::optional<int> countItem_ = 0;
    int currentByte_ = 0; // byte 166 as last read or set (0..7 in a sound image)
    std::array<std::uint8_t, kMaxLevels> nibbles_{};
    std::array<bool, kMaxLevels> sliderMoved_{};
    int reportRate_ = 0;
};

} // namespace krm
