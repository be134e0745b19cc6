#pragma once

#include "base/TextSource.h"
#include "buttons/AssignmentEditor.h"
#include "buttons/EditorState.h"
#include "image/ConfigImage.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <functional>
#include <optional>
#include <string>

namespace krm {

// The sniper (AIM) step: while a sniper button is held the mouse drops to this DPI step. The step is
// byte 1 of every sniper button's code (05 s 00 00), and there is one step for the whole image:
// changing it rewrites every sniper button of all three profiles. Assigning the sniper function is the
// assignment editor's; this editor changes the step of the buttons that have it.
class SniperEditor final : public Editor {
public:
    static constexpr int kSteps = 12;

    // `copies` are the session's section copies (the codes are read there); `shared` holds the level
    // that new sniper codes are built with; `assignments` follows the changed codes.
    SniperEditor(const SectionCopies& copies, EditorState& shared, AssignmentEditor& assignments,
                 std::function<bool()> refreshGuard);

    // The step from the current profile's sniper buttons; step 0 when it has none.
    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource& texts) override;

    // The step 0..11 the page shows and the buttons get.
    int step() const { return step_; }
    // False when the current profile's sniper button holds a byte that names no step (12..255): the
    // page then lights no segment and shows no text.
    bool stepShown() const { return shown_; }
    std::string valueText() const;
    // Sniper buttons in the three profiles now.
    int sniperButtons() const;

    // Segment k (1..12) of the bar: step k - 1.
    EditOutcome clickSegment(int segment);
    // The slider is being dragged to `value` (0..1100): the stop its label shows now.
    int dragSlider(int value);
    // The slider was let go at `value`, or clicked at `x` of a slider `width` pixels wide when it was
    // not dragged. Nothing is sent when the stop is the step already.
    EditOutcome releaseSlider(int value, int x, int width);
    // Any step 0..11 (krmctl, the engineering list).
    EditOutcome setStep(int step);

private:
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    // Writes the step into every sniper button; with none, the page goes back to step 0 and says why.
    EditOutcome writeEverySniper();
    void show(int s);

    const SectionCopies& copies_;
    EditorState& shared_;
    AssignmentEditor& assignments_;
    std::function<bool()> refreshGuard_;
    const TextSource* texts_ = nullptr;

    int step_ = 0;
    bool shown_ = true;
    bool sliderMoved_ = false;
};

// A profile button whose code is a sniper code (type 0x05).
bool isSniperCode(const CodeBytes& code);

} // namespace krm
