#include "performance/DpiEditor.h"

#include "base/Bits.h"
#include "image/ImageFields.h"
#include "performance/StepSlider.h"

#include <utility>

namespace krm {

namespace {

constexpr std::size_t kReportRateByte = 4;
constexpr std::size_t kCountByte = vendor::kDpiCountMinusOne;                // 43
constexpr std::size_t kLevelBytes = vendor::kDpiLevels;                      // 44..47
constexpr std::size_t kCurrentByte = image::kUserOffset + user::kCurrentDpi; // 166

bool validLevel(int level) {
    return level >= 1 && level <= DpiEditor::kMaxLevels;
}

std::optional<int> rateField(int hz) {
    switch (hz) {
    case 125:
        return 0;
    case 250:
        return 1;
    case 500:
        return 2;
    case 1000:
        return 3;
    default:
        return std::nullopt;
    }
}

} // namespace

DpiEditor::DpiEditor(const SectionCopies& copies, std::function<bool()> refreshGuard)
    : copies_(copies), refreshGuard_(std::move(refreshGuard)) {}

void DpiEditor::loadFromCopies(const SectionCopies& copies) {
    const auto& v = copies.vendor;
    reportRate_ = reportRateHz(v);
    // A count byte above 7 names no count: the list selects nothing and the levels stay as they were.
    const int countByte = v[kCountByte];
    if (countByte <= 7) {
        count_ = countByte + 1;
        countItem_ = countByte;
    } else {
        countItem_.reset();
    }
    // Every nibble is kept as read, 15 and the unnamed 12..14 included, so that writing a level's
    // partner gives the mouse back exactly what it had.
    const DpiLevels levels = decodeDpiLevels(v);
    for (int n = 1; n <= kMaxLevels; ++n)
        nibbles_[index(n)] = static_cast<std::uint8_t>(levels.steps[index(n)]);
    currentByte_ = copies.user[user::kCurrentDpi];
    sliderMoved_.fill(false);
}

void DpiEditor::setTexts(const TextSource& texts) {
    texts_ = &texts;
}

std::optional<int> DpiEditor::currentLevel() const {
    if (currentByte_ < 0 || currentByte_ >= kMaxLevels) return std::nullopt;
    return currentByte_ + 1;
}

std::optional<int> DpiEditor::step(int level) const {
    if (!validLevel(level)) return std::nullopt;
    const int n = nibbles_[index(level)];
    if (n >= kSteps) return std::nullopt;
    return n;
}

std::string DpiEditor::stepText(int s) const {
    if (!texts_ || s < 0 || s >= kSteps) return {};
    return texts_->text("Str" + std::to_string(300 + s));
}

std::string DpiEditor::valueText(int level) const {
    const auto s = step(level);
    return s ? stepText(*s) : std::string();
}

std::array<std::uint8_t, 3> DpiEditor::colour(int level) const {
    if (!validLevel(level)) return {};
    const Rgb c = dpiLevelColour(copies_.vendor, level);
    return {c.r, c.g, c.b};
}

EditRequest DpiEditor::write(std::size_t address, std::uint8_t value) const {
    return guarded() ? EditRequest::store(address, {value}) : EditRequest::writeThrough(address, {value});
}

EditOutcome DpiEditor::setStep(int level, int s) {
    if (!validLevel(level) || s < 0 || s >= kSteps) return {};
    EditOutcome out;
    nibbles_[index(level)] = static_cast<std::uint8_t>(s);
    const int j = (level - 1) / 2;
    const auto pair = static_cast<std::uint8_t>(nibbles_[static_cast<std::size_t>(2 * j)] |
                                                nibbles_[static_cast<std::size_t>(2 * j + 1)] << 4);
    out.requests.push_back(write(kLevelBytes + static_cast<std::size_t>(j), pair));
    if (guarded()) return out;
    // The mouse applies a new value only when its current level changes: step away and back. A level
    // byte above 7 (from a damaged image) is re-sent as level 1, which the mouse can hold.
    const int c = currentLevel().value_or(1) - 1;
    currentByte_ = c;
    out.requests.push_back(write(kCurrentByte, static_cast<std::uint8_t>(c > 0 ? c - 1 : c + 1)));
    out.requests.push_back(write(kCurrentByte, static_cast<std::uint8_t>(c)));
    return out;
}

int DpiEditor::dragSlider(int level, int value) {
    if (!validLevel(level)) return 0;
    sliderMoved_[index(level)] = true;
    return sliderStop(value, kDpiSliderRange, kDpiSliderStops);
}

EditOutcome DpiEditor::releaseSlider(int level, int value, int x, int width) {
    if (!validLevel(level)) return {};
    int stop = 0;
    if (sliderMoved_[index(level)]) {
        sliderMoved_[index(level)] = false;
        stop = sliderStop(value, kDpiSliderRange, kDpiSliderStops);
    } else {
        stop = sliderStop(x, width, kDpiSliderStops);
    }
    if (step(level) == stop) return {};
    return setStep(level, stop);
}

EditOutcome DpiEditor::makeCurrent(int level) {
    // A switched-off level cannot be the mouse's current one: nothing is sent.
    if (!validLevel(level) || !enabled(level)) return {};
    currentByte_ = level - 1;
    EditOutcome out;
    out.requests.push_back(write(kCurrentByte, static_cast<std::uint8_t>(level - 1)));
    return out;
}

void DpiEditor::countChanged(int newCount, EditOutcome& out) {
    count_ = newCount;
    countItem_ = newCount - 1;
    out.requests.push_back(write(kCountByte, static_cast<std::uint8_t>(newCount - 1)));
}

void DpiEditor::keepCurrentOn(EditOutcome& out) {
    // The mouse stays on its level while that level is on; one switched off leaves it on the last
    // level that is, so that the page and the mouse hold the same level.
    if (currentByte_ < count_ || currentByte_ >= kMaxLevels) return;
    currentByte_ = count_ - 1;
    out.requests.push_back(write(kCurrentByte, static_cast<std::uint8_t>(currentByte_)));
}

EditOutcome DpiEditor::clickLevelLabel(int level) {
    if (!validLevel(level)) return {};
    EditOutcome out;
    if (!enabled(level) && level >= 2 && enabled(level - 1)) {
        countChanged(count_ + 1, out);
    } else if (enabled(level) && level == count_) {
        if (level == 1) {
            // The only enabled level stays: the mouse needs at least one.
            out.refused = true;
            return out;
        }
        countChanged(count_ - 1, out);
    } else {
        return out;
    }
    // The count goes out once more.
    out.requests.push_back(write(kCountByte, static_cast<std::uint8_t>(count_ - 1)));
    keepCurrentOn(out);
    return out;
}

EditOutcome DpiEditor::setCount(int newCount) {
    if (newCount < 1 || newCount > kMaxLevels) return {};
    EditOutcome out;
    countChanged(newCount, out);
    keepCurrentOn(out);
    return out;
}

EditOutcome DpiEditor::setReportRate(int hz) {
    const auto field = rateField(hz);
    if (!field) return {};
    const auto byte = static_cast<std::uint8_t>(writeBits(copies_.vendor[kReportRateByte], 5, 4, *field));
    EditOutcome out;
    out.requests.push_back(write(kReportRateByte, byte));
    // The mouse takes a new rate only by restarting (and is read again when it comes back).
    const bool changed = hz != reportRate_;
    reportRate_ = hz;
    if (changed && !guarded()) out.requests.push_back(EditRequest::restart());
    return out;
}

void DpiEditor::currentChangedByMouse(int levelByte) {
    currentByte_ = levelByte;
}

} // namespace krm
