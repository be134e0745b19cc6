#include "performance/SniperEditor.h"

#include "image/FunctionCode.h"
#include "image/ImageFields.h"
#include "performance/StepSlider.h"

#include <algorithm>
#include <utility>

namespace krm {

namespace {
constexpr std::uint8_t kSniperType = 0x05;
} // namespace

bool isSniperCode(const CodeBytes& code) {
    // Every type-0x05 code is named "AIM Key"; the type is asked directly so that a language table
    // without that name cannot make unnamed codes look like sniper buttons.
    return code[0] == kSniperType;
}

SniperEditor::SniperEditor(const SectionCopies& copies, EditorState& shared, AssignmentEditor& assignments,
                           std::function<bool()> refreshGuard)
    : copies_(copies), shared_(shared), assignments_(assignments), refreshGuard_(std::move(refreshGuard)) {}

void SniperEditor::show(int s) {
    step_ = s;
    shown_ = true;
    shared_.sniperLevel = s + 1;
}

void SniperEditor::loadFromCopies(const SectionCopies& copies) {
    sliderMoved_ = false;
    // The last sniper button of the current profile decides; without one the page shows step 0.
    const int profile = std::clamp(currentProfile(copies.user[user::kProfileAndColour]), 0, 2) + 1;
    bool found = false;
    for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
        const CodeBytes code = profileCode(copies, profile, k);
        if (!isSniperCode(code)) continue;
        found = true;
        if (code[1] < kSteps) {
            show(code[1]);
        } else {
            // 255 is "no step"; 12..254 name none either. Nothing is lit, and the step kept
            // for the next change stays what it was.
            shown_ = false;
        }
    }
    if (!found) show(0);
}

void SniperEditor::setTexts(const TextSource& texts) {
    texts_ = &texts;
}

std::string SniperEditor::valueText() const {
    if (!texts_ || !shown_) return {};
    return texts_->text("Str" + std::to_string(300 + step_));
}

int SniperEditor::sniperButtons() const {
    int n = 0;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            n += isSniperCode(profileCode(copies_, p, k)) ? 1 : 0;
    return n;
}

EditOutcome SniperEditor::writeEverySniper() {
    EditOutcome out;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            if (!isSniperCode(profileCode(copies_, p, k))) continue;
            const CodeBytes code{kSniperType, static_cast<std::uint8_t>(step_), 0x00, 0x00};
            out.requests.push_back(EditRequest::store(codes::buttonOffset(p, k), code));
            assignments_.replaceButtonCode(p, k, code);
        }
    if (guarded()) return out;
    if (out.requests.empty()) {
        // No button has the sniper function: nothing to write; the page goes back to step 0.
        show(0);
        out.refused = true;
        out.message = texts_ ? texts_->text("Str105") : std::string();
        return out;
    }
    out.requests.push_back(EditRequest::profileRewrite());
    return out;
}

EditOutcome SniperEditor::setStep(int s) {
    if (s < 0 || s >= kSteps) return {};
    show(s);
    return writeEverySniper();
}

EditOutcome SniperEditor::clickSegment(int segment) {
    return setStep(segment - 1);
}

int SniperEditor::dragSlider(int value) {
    sliderMoved_ = true;
    return sliderStop(value, kDpiSliderRange, kDpiSliderStops);
}

EditOutcome SniperEditor::releaseSlider(int value, int x, int width) {
    int stop = 0;
    if (sliderMoved_) {
        sliderMoved_ = false;
        stop = sliderStop(value, kDpiSliderRange, kDpiSliderStops);
    } else {
        stop = sliderStop(x, width, kDpiSliderStops);
    }
    if (stop == step_ && shown_) return {};
    return setStep(stop);
}

} // namespace krm
