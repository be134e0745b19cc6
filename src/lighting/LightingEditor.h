#pragma once

#include "buttons/EditorState.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace krm {

class AssignmentEditor;

// Step times (byte 56) the speed levels 1..10 write; level 10 is the fastest.
inline constexpr std::array<std::uint8_t, 10> kSpeedStepTimes{50, 45, 40, 35, 30, 25, 20, 15, 10, 5};
// XDATA addresses the running firmware takes the MCU LED speed and brightness/count bytes from.
inline constexpr std::uint16_t kMcuLedSpeedXdata = 0x07C4, kMcuLedControlXdata = 0x07C5;
// Image offsets of the MCU LED section (inside the patch block at 1008).
inline constexpr std::size_t kMcuLedSpeedOffset = 1016, kMcuLedControlOffset = 1017,
                             kMcuLedChecksumOffset = 1023;

// One lighting mode of the current LED type, in the order of the engineering mode list.
struct LightingMode {
    int value = 0;        // the mode as byte 165 bits 3:0 hold it
    int userItem = 0;     // the user page item 1..7 (lbl_LED<k>, Img_LED<k>)
    int checkbox = 0;     // the engineering checkbox 0..6 (cb_Mode<k>)
    bool enabled = false; // its bit in the enable mask (byte 42)
    std::string name;     // in the active language (empty where the table has no text)
};

// The breathing fields of the engineering page, with their limits.
enum class BreathField { LowerBrightness, UpperBrightness, LowerHold, UpperHold };

// The lighting editor: the LED type and its modes, the enable mask, speed, breathing curve, the colour
// table, DPI level colours, profile colours, the MCU LED settings and the LED-mode combination. Every
// action returns the writes to carry out, in order; while the refresh guard is set only stores remain.
class LightingEditor final : public Editor {
public:
    // `refreshGuard` tells whether the window is being filled from an image; no write is asked for then.
    LightingEditor(EditorState& state, const TextSource& texts, std::function<bool()> refreshGuard);

    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource& texts) override;
    // The type text is forgotten until the next image read.
    void deviceLost() override;

    // --- LED type ---
    // "RGB", "Sync", "NT", "MCULED", or empty before the first image read (treated like "RGB").
    const std::string& ledType() const { return ledType_; }
    std::optional<LedType> type() const { return ledTypeFromText(ledType_); }
    void setLedType(std::string type);
    // What section repairs and the regeneration need from this editor: the type and the package list.
    DefaultInputs defaultInputs() const { return {ledType_, packageIndex_}; }
    // cb_LEDModeChange: the type's modes all enabled (byte 42), its default mode sent (byte 165), then
    // every section regenerated for it, the image written whole and the mouse restarted.
    EditOutcome changeLedType(LedType type);

    // --- modes ---
    // The current type's modes in list order (RGB 0..6, Sync 0..2, NT 0, 1, 2, 4, 5, MCULED 1..7).
    std::vector<LightingMode> modes() const { return modes(*texts_); }
    // The same with the names in the language of `texts` (a settings file's English).
    std::vector<LightingMode> modes(const TextSource& texts) const;
    std::uint8_t modeMask() const { return modeMask_; }
    std::uint8_t ledTypeByte() const { return typeByte_; }
    int currentMode() const { return typeByte_ & 0x0F; }
    // The position of the current mode in modes(), or nothing when the byte names no mode of the type.
    std::optional<int> currentListIndex() const;
    int ntLedCount() const { return ntCountIndex_ + 1; } // 1..8, cb_LEDNum
    // Whether the user page shows item k (1..7): a mode of the type that the mask enables.
    bool userItemShown(int item) const;
    // Whether the speed bar takes clicks for the current mode (off for the last two items and NT "Off").
    bool speedEnabled() const;

    // RGBMode_OnClick on item k (1..7) of the user page.
    EditOutcome chooseUserMode(int item);
    // cb_BreModeChange: entry `index` of the engineering mode list.
    EditOutcome chooseListMode(int index);
    // cb_Mode<k>: the type's checkbox k (0..6) ticked or cleared.
    EditOutcome setModeEnabled(int checkbox, bool enabled);
    // cb_LEDNumChange (NT): 1..8 LEDs.
    EditOutcome setNtLedCount(int count);

    // --- speed and breathing ---
    const Breathing& breathing() const { return breathing_; }
    int speedLevel() const { return speedLevelFromStepTime(breathing_.stepTime); }
    // Img_Fall<n> or the slider: level 1..10.
    EditOutcome chooseSpeedLevel(int level);
    // edt_StepTime: 0..255, larger values give 255.
    EditOutcome setStepTime(long value);
    // edt_Lower, edt_Upper, edt_UpperTime: 0..65535; edt_LowerTime: 0..4094. Larger values give the limit.
    EditOutcome setBreathing(BreathField field, long value);
    static long breathingLimit(BreathField field);

    // --- colours ---
    Rgb tableColour(int n /*1..10*/) const { return table_.at(static_cast<std::size_t>(n - 1)); }
    Rgb dpiColour(int level /*1..8*/) const { return dpi_.at(static_cast<std::size_t>(level - 1)); }
    int currentDpiLevel() const { return currentDpi_; } // 0..7, byte 166
    // edt_Col<n><c>, edt_CPI<n><c>: component c (0 red, 1 green, 2 blue) set to 0..255.
    EditOutcome setTableComponent(int n, int component, long value);
    EditOutcome setDpiComponent(int level, int component, long value);
    // A colour picked in the dialog: the three components one by one, then one three-byte write.
    EditOutcome pickTableColour(int n, Rgb colour);
    EditOutcome pickDpiColour(int level, Rgb colour);
    // The colour groups are shown for every type but Sync (and left as they are before a type is known).
    bool coloursShown() const { return type() != LedType::Sync; }

    // --- profile colours ---
    // cb_ProfileColor: the current profile's colour item (0..9 colour 1..10, 10 the user colour), as the
    // last image read set it or the user chose it; the profile buttons' writes do not change it.
    int currentProfileColourItem() const { return currentProfileColourItem_; }
    void setCurrentProfileColourItem(int item);
    // cb_Profile1Color .. cb_Profile3Color (colour nibble of the profile-switch codes).
    int profileSwitchColourItem(int profile) const {
        return state_.profileColourItems.at(static_cast<std::size_t>(profile - 1));
    }

    // --- MCU LED (MCULED type only) ---
    // cb_MCULEDStep index 0..7 (7 − byte 1016); nothing while the stored step is above 7.
    std::optional<int> mcuStepIndex() const { return mcuStepIndex_; }
    // The user page's step segment 1..8 (a stored step above 7 counts as 0).
    int mcuStepSegment() const;
    bool mcuFullBright() const { return mcuFullBright_; }
    // cb_MCULEDNum index 0..9 (items "4" .. "13"); nothing for a count code above 9.
    std::optional<int> mcuCountIndex() const { return mcuCountIndex_; }
    bool mcuChecksumGood() const { return mcuChecksumGood_; }
    EditOutcome setMcuStepIndex(int index);
    EditOutcome chooseMcuStepSegment(int segment) { return setMcuStepIndex(segment - 1); }
    EditOutcome setMcuFullBright(bool full);
    EditOutcome setMcuCountIndex(int index);

    // --- LED-mode combination (right button + back switches the LED mode) ---
    int ledModeCombination() const { return state_.ledModeCombination; }
    // Applies the editor state's option (set by the key page toggle or the engineering list): combo key 2
    // and every "Backward" button of all profiles get their codes, then the vendor section and the
    // profiles are written. The assignment editor keeps its codes and captions in step.
    EditOutcome applyLedModeCombination(AssignmentEditor& assignments);

private:
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    // A write of bytes at a vendor or user address, or only their store while the guard is up.
    void write(EditOutcome& out, std::size_t offset, std::vector<std::uint8_t> bytes) const;
    std::uint8_t typeByteForListIndex(int index) const;
    EditOutcome setComponent(std::size_t base, std::array<Rgb, 10>& colours, int count, int n, int component,
                             long value);
    EditOutcome pickColour(std::size_t base, std::array<Rgb, 10>& colours, int count, int n, Rgb colour);
    EditOutcome writeMcuLed();

    EditorState& state_;
    std::function<bool()> refreshGuard_;
    const TextSource* texts_;

    std::string ledType_;
    std::optional<int> packageIndex_;
    std::uint8_t typeByte_ = 0;
    std::uint8_t modeMask_ = 0;
    int ntCountIndex_ = 0;
    Breathing breathing_;
    std::array<Rgb, 10> table_{};
    std::array<Rgb, 10> dpi_{}; // levels 1..8 in the first eight
    int currentDpi_ = 0;
    int currentProfileColourItem_ = 0;

    std::array<std::uint8_t, 8> patchDescriptor_{}; // bytes 1008..1015, carried along by the block write
    std::array<std::uint8_t, 8> mcuSection_{};      // bytes 1016..1023
    std::optional<int> mcuStepIndex_;
    bool mcuFullBright_ = true;
    std::optional<int> mcuCountIndex_;
    bool mcuChecksumGood_ = false;
};

} // namespace krm
