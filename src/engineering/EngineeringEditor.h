#pragma once

#include "image/ConfigImage.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// How an option list's item index becomes the number stored in its bit field.
enum class OptionMapping {
    Index,       // the index itself
    PlusOne,     // index + 1 (the field's 0 is never written)
    ThreeMinus,  // 3 - index
    PrescaleMap, // 3, 1, 2, 0 for index 0, 1, 2, 3
};

// One MCU option list of the engineering page: a bit field of a vendor byte.
struct OptionControl {
    std::string_view control; // object name, e.g. "cb_CPIPrescaleSel"
    std::string_view label;   // e.g. "CPI Pre-scale Sel:"
    std::string_view group;   // group caption, e.g. "Option 5 (0x70E5)"; empty: the operator tab
    std::size_t offset;       // vendor byte 4..8
    int high, low;            // bits
    std::vector<std::string_view> items;
    OptionMapping mapping = OptionMapping::Index;
};

// Every option list, in byte and bit order (the report rate is the DPI editor's).
std::span<const OptionControl> optionControls();
const OptionControl* findOptionControl(std::string_view control);
// Field value for a list index, and the list index a field value shows: for a value no item writes
// (0 of the indication field), the item of the text the image layout gives it.
int optionFieldValue(const OptionControl& c, int index);
std::optional<int> optionIndexForValue(const OptionControl& c, int value);

// A sensor or LED init register edit (bytes 9..41).
struct RegisterControl {
    std::string_view name; // without the "edt_" prefix, e.g. "MaxShut"
    std::size_t offset;
    int digits; // 2, or 4 for LEDInit0
};
std::span<const RegisterControl> registerControls();

// The hex and integer entry fields: filtering and the value <-> text rules.
bool acceptedHexCharacter(char c);
bool acceptedDecimalCharacter(char c);
// Text with every character the field would discard removed.
std::string filterHex(std::string_view text);
std::string filterDecimal(std::string_view text);
// Empty for v <= 0, else upper-case hex with as many digits as v needs ("A", "1A", "3A7E").
std::string hexText(long v);
// Hex text read with an implied leading 0 (empty is 0); characters beyond the filter are ignored.
long hexValue(std::string_view text);
std::string decimalText(long v); // empty for v <= 0
long decimalValue(std::string_view text);

// The hidden mode of the engineering page, shared with the fire-key page's background: one counter of
// double-clicks and one flag, both forgotten at every start.
class HiddenMode {
public:
    enum class Level { Off, Silent, Full };
    enum class Step { Hidden, Counted, AskPassword };
    static constexpr std::string_view kSilentCode = "MbrQelnVd";
    static constexpr std::string_view kFullCode = "MbrQelnVdWKP";

    // A double-click on the engineering logo (or the fire page's background): with the mode on it
    // goes off at once; otherwise it is counted, and every fifth one asks for the password.
    Step doubleClicked();
    // The password dialog was confirmed with `entry` (a cancelled dialog changes nothing). The fire
    // page's background accepts only the silent code.
    void passwordEntered(std::string_view entry, bool fullAllowed = true);
    Level level() const { return level_; }
    bool on() const { return level_ != Level::Off; }
    // The factory controls (Gun Confirm and Advanced tabs, the four import buttons) are shown.
    bool factoryControlsShown() const { return level_ == Level::Full; }
    int count() const { return count_; }

private:
    int count_ = 0;
    Level level_ = Level::Off;
};

// The engineering page's own fields: the MCU option bits, the sensor and LED init registers, the USB
// ids and descriptor string, the factory vendor and product codes, direct XDATA access and the hidden
// mode. Every change is written at once; under the refresh guard only the copies follow.
class EngineeringEditor final : public Editor {
public:
    static constexpr std::size_t kDescriptorOffset = 111, kDescriptorLength = 16;
    static constexpr std::uint16_t kDefaultXDataAddress = 0x7241;

    // `copies`, when given, are the session's section copies: every action starts from them, so that
    // what other editors wrote since the last image read (the fire-key block, the report rate) is kept.
    explicit EngineeringEditor(std::function<bool()> refreshGuard,
                               std::function<const SectionCopies&()> copies = {});

    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource&) override {}

    // --- MCU options ---
    // The list index the copies show; nothing for a field value no item stands for.
    std::optional<int> optionIndex(const OptionControl& c) const;
    EditOutcome chooseOption(const OptionControl& c, int index);

    // --- registers ---
    int registerValue(const RegisterControl& r) const;
    // A value above 255 is written as 0xFF (the field then shows "FF").
    EditOutcome setRegister(const RegisterControl& r, long value);

    // --- USB identity ---
    std::uint16_t vendorId() const;
    std::uint16_t productId() const;
    std::string descriptor() const;
    // The text of the VID or PID field after a keystroke: exactly four hex digits are written (two
    // bytes at image offset 0 or 2), anything shorter writes nothing. 0000 is refused: the mouse
    // could not be opened under it.
    EditOutcome typeVendorId(std::string_view text);
    EditOutcome typeProductId(std::string_view text);
    // The descriptor text after a keystroke: all 16 bytes rewritten with six reports. Up to 16
    // printable ASCII characters (one byte each); anything else is refused.
    EditOutcome typeDescriptor(std::string_view text);

    // --- factory vendor and product codes (fire-key block bytes 0 and 1) ---
    int vendorCode() const;
    int productCode() const;
    // Codes of 256 or more become 255. The 12-byte fire-key block is written whole.
    EditOutcome setFactoryCodes(long vendorCode, long productCode);

    // --- XDATA ---
    EditOutcome xdataWrite(std::uint16_t address, std::uint8_t value) const;
    // "Changed XData": 0x01 at 0x7241, 0x06 at 0x7242, 0x01 at 0x7243.
    EditOutcome changedXData() const;

    // --- patch block ---
    // Patch block bytes 6..7, the patch code checksum, as read.
    std::uint16_t patchChecksum() const;

    HiddenMode& hiddenMode() { return hidden_; }
    const HiddenMode& hiddenMode() const { return hidden_; }

private:
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    void sync() const; // takes the session's copies, when there are any
    EditOutcome writeIds(std::size_t offset, std::string_view text);

    std::function<bool()> refreshGuard_;
    std::function<const SectionCopies&()> copies_;
    mutable std::array<std::uint8_t, image::kVendorLength> vendor_{};
    mutable std::array<std::uint8_t, image::kFireKeyLength> fireKey_{};
    mutable std::uint16_t patchChecksum_ = 0;
    HiddenMode hidden_;
};

} // namespace krm
