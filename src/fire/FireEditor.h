#pragma once

#include "base/TextSource.h"
#include "buttons/AssignmentEditor.h"
#include "buttons/EditorState.h"
#include "fire/FireFields.h"
#include "fire/GunKeyListFile.h"
#include "image/ConfigImage.h"
#include "image/ImageFields.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// One stage of the chosen gun as the gun page shows it: the fire macro it runs, the field texts and
// where in the body the editable values were found (a value without a position is shown but not
// stored).
struct GunStage {
    int macro = 0; // fire macro index 0..9
    fire::BodyPositions at;
    std::string count = "0", x = "0", y = "0", xAdjust = "0", yAdjust = "0", interval = "0";
    Rgb colour;
};

// The rapid-fire editor: the three fire-key slots (the performance page and the engineering fire
// group), the seven gun presets of the gun page with the fire-macro bodies, their X/Y adjustments and
// LED colours, the game-mode trigger marks of fire and gun buttons, and the combo masks of the
// engineering page. The gun page edits a working copy of the bodies, adjustments and colours taken
// when it opens; confirm writes it, cancel drops it.
class FireEditor final : public Editor {
public:
    // `copies` are the session's section copies; `assignments` follows every button code this editor
    // changes; `gun6Stages` and `gun7Stages` are the branding's stage counts (clamped to 1..2, 1..3).
    FireEditor(EditorState& state, const SectionCopies& copies, AssignmentEditor& assignments,
               const TextSource& texts, std::function<bool()> refreshGuard, int gun6Stages, int gun7Stages);

    // Slot counts and intervals from the fire-key block; the game-mode trigger, gun-mode flag and
    // combo masks from the button codes; the gun page's working copy from the image.
    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource& texts) override { texts_ = &texts; }

    // The gun-key list ("Fire Macro1".."Fire Macro10") and its file; open it before an image is named.
    GunKeyListFile& gunKeyList() { return gunKeyFile_; }
    const GunKeyList& gunKeys() const { return state_.gunKeys; }

    // --- fire-key slots (k = 1..3) ---
    const FireKeySlot& slot(int k) const;
    // The slot takes repeat (1..16), interval (0..65535 ms) and continue; every button of the three
    // profiles named after the slot (under the old values) gets the new code; the profiles and the
    // fire-key block are written. Values outside the ranges are refused with a message.
    EditOutcome setSlot(int k, int repeat, int interval, bool continueOn);
    EditOutcome toggleContinue(int k);

    // --- gun page ---
    // The page opens: the working copy is taken from the image and gun 1 is chosen.
    void openGunPage();
    void chooseGun(int gun /*1..7*/);
    int gun() const { return gun_; }
    // Stages whose fields are shown: 1, 2 for gun 6, 3 for gun 7.
    int stagesShown() const { return fire::gunMacroCount(gun_); }
    const GunStage& stage(int s /*0..2*/) const { return stages_.at(static_cast<std::size_t>(s)); }
    // A stage field was edited; returns the text the field is to show. The value goes into the
    // working body (count, X, Y, interval, where found) or the working adjustment.
    std::string editStage(int s, fire::StageField field, std::string_view text);
    void setStageColour(int s, Rgb colour);
    void toggleKeepLeft() { keepLeft_ = !keepLeft_; }
    bool keepLeft() const { return keepLeft_; }
    // Stages the code of guns 6 and 7 runs (the branding's count until changed; krmctl sets it).
    int codeStages() const;
    void setCodeStages(int n) { codeStages_ = n; }
    // The gun code confirm gives (prefix of the gun table and the remembered combo mask).
    CodeBytes gunCodeNow() const;
    // Confirm: with `profile2Button` (1..12) that button of profile 2 takes the gun; then the colours,
    // the user section, the fire-macro area, the profiles and the fire-key block are written.
    EditOutcome confirmGun(std::optional<int> profile2Button);
    // Cancel: the working copy is dropped.
    void cancelGun();

    // Fire macro bodies in the working copy (the recorder edits them; confirm writes them).
    const std::vector<std::uint8_t>& body(int i /*0..9*/) const {
        return bodies_.at(static_cast<std::size_t>(i));
    }
    // Stores `bytes` from the start of body i; bytes beyond the body's length are not taken. False
    // when they did not all fit.
    bool setBody(int i, std::span<const std::uint8_t> bytes);
    std::string macroName(int i) const; // R230B: the stored name; R210B: "Macro" + (i + 1)

    // --- game-mode trigger (items 0..6) and gun-mode flag ---
    // Applies the state's trigger item: trigger buttons, gun buttons and combo keys 2 and 4.
    EditOutcome applyGameModeTrigger();
    EditOutcome setGameModeTrigger(int item);
    EditOutcome setGunFireMode(bool on);
    int gameModeTrigger() const { return state_.gameModeTrigger; }
    bool gunFireMode() const { return state_.gunFireMode; }
    int comboEnable(ComboGroup group) const { return state_.comboEnable[static_cast<std::size_t>(group)]; }

    // --- engineering gun tab ---
    // X (or Y) adjustment of fire macro n (1..10): the text the field shows; a value is written at
    // once to 0xAA + n (0xB4 + n).
    std::string setMacroAdjust(int n, bool y, std::string_view text, EditOutcome& out);
    int macroAdjust(int n, bool y) const;
    // A combo-mask selector changed (item 0..8): the buttons of its group are rewritten.
    EditOutcome setComboEnable(ComboGroup group, int item);
    // The mask the gun page gives new gun codes: byte 3 of the last gun or fire-macro button.
    std::uint8_t rememberedComboMask() const;
    // The profile-switch options (cb_RTZ, cb_AXY, cb_CC, edt_OffSet 0x00..0xFF): every button of the
    // three profiles that switches to a profile is rewritten with them (07, 0x80 + profile index +
    // the option bits, 16 x the profile's colour, the offset) and the profiles are written. Combo keys
    // given a profile switch afterwards take them too. An offset outside 0..0xFF is refused.
    const ProfileSwitchOptions& profileSwitchOptions() const { return state_.profileSwitch; }
    EditOutcome setProfileSwitchOptions(const ProfileSwitchOptions& options);

private:
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    void takeWorkingCopy();
    void parseStage(int s);
    bool isGunButton(const CodeBytes& code) const;
    void rewriteButton(int profile, int button, const CodeBytes& code, EditOutcome& out);
    void rewriteCombo(int n, const CodeBytes& code, EditOutcome& out);
    void finishProfiles(EditOutcome& out, bool vendorToo, bool fireKeyBlock);
    std::vector<std::uint8_t> assembleArea() const;

    EditorState& state_;
    const SectionCopies& copies_;
    AssignmentEditor& assignments_;
    const TextSource* texts_;
    std::function<bool()> refreshGuard_;
    int gun6Stages_, gun7Stages_;

    // Gun page working copy.
    std::array<std::vector<std::uint8_t>, image::kFireMacroCount> bodies_{};
    std::array<int, image::kFireMacroCount> xAdjust_{}, yAdjust_{};
    std::array<Rgb, image::kFireMacroCount> colours_{};
    int gun_ = 1;
    bool keepLeft_ = false;
    std::optional<int> codeStages_;
    std::array<GunStage, fire::kMaxStages> stages_{};
    GunKeyListFile gunKeyFile_;
};

// Where the gun-key list lives: beside the PC macro library, in the user's data folder.
std::string gunKeyListPath(const std::string& brandingFolder);

} // namespace krm
