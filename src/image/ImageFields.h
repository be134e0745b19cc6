#pragma once

#include "image/ConfigImage.h"
#include "image/FunctionCode.h"
#include "image/SectionDefaults.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// ---- Vendor section (offsets 0..163) ----

namespace vendor {
inline constexpr std::size_t kVendorId = 0, kProductId = 2;
inline constexpr std::size_t kFirstRegister = 9, kLastRegister = 41; // sensor registers and LED init bytes
inline constexpr std::size_t kModeEnableMask = 42, kDpiCountMinusOne = 43, kDpiLevels = 44;
inline constexpr std::size_t kBreathLowBright = 48, kBreathHighBright = 50, kBreathLowHold = 52,
                             kBreathHighHold = 54, kStepTime = 56;
inline constexpr std::size_t kColourTable = 57, kDpiColours = 87;
inline constexpr std::size_t kProductString = 111, kProductStringLength = 16;
} // namespace vendor

// A bit field of the option bytes 4..8 with the list texts of its values.
struct OptionField {
    std::string_view name;                 // e.g. "report rate"
    std::string_view control;              // the engineering control, e.g. "cb_RepRate"
    std::size_t offset;                    // vendor byte
    int high, low;                         // bits
    std::array<std::string_view, 4> texts; // text of each field value (not of the list index)
};

// Every interpreted option field of bytes 4..8, in byte and bit order.
std::span<const OptionField> optionFields();
int readOption(const OptionField& f, std::span<const std::uint8_t> vendorCopy);
std::string_view optionText(const OptionField& f, int value);

// The register bytes 9..41 (edt_Avg_lb_lq .. edt_LEDInit1), named without the "edt_" prefix.
struct RegisterField {
    std::string_view name;
    std::size_t offset;
};
std::span<const RegisterField> sensorRegisters();

int reportRateHz(std::span<const std::uint8_t> vendorCopy); // 125, 250, 500 or 1000

// DPI levels: count (byte 43 + 1; may exceed 8 in a damaged image) and the step nibble of each level.
struct DpiLevels {
    int count = 0;
    std::array<int, 8> steps{}; // 0..11, 15 = no value (12..14 name no step either)
};
DpiLevels decodeDpiLevels(std::span<const std::uint8_t> vendorCopy);
// The shipped value name of a step ("200" .. "6400"); empty for a step outside 0..11.
std::string_view dpiStepText(int step);

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    std::uint32_t screen() const { return r + 256u * g + 65536u * b; } // the on-screen colour value
    bool operator==(const Rgb&) const = default;
};
Rgb readRgb(std::span<const std::uint8_t> bytes, std::size_t offset);
Rgb colourTableEntry(std::span<const std::uint8_t> vendorCopy, int n /*1..10*/);
Rgb dpiLevelColour(std::span<const std::uint8_t> vendorCopy, int level /*1..8*/);
std::string rgbHex(Rgb c); // "FF7F00"
// The colour as krmctl and settings files write it, "#ff7f00", and back (the '#' may be left out, the
// digits in either case).
std::string rgbText(Rgb c);
std::optional<Rgb> parseRgbText(std::string_view text);

struct Breathing {
    std::uint16_t lowerBrightness = 0, upperBrightness = 0, lowerHold = 0, upperHold = 0;
    std::uint8_t stepTime = 0;
};
Breathing decodeBreathing(std::span<const std::uint8_t> vendorCopy);
// The user page's speed level 1..10 for a step time.
int speedLevelFromStepTime(std::uint8_t stepTime);

// The 16-byte product string up to its first 0 byte (8-bit characters kept as they are).
std::string productString(std::span<const std::uint8_t> vendorCopy);

// ---- User section (offsets 164..191, given relative to the section) ----

namespace user {
inline constexpr std::size_t kProfileAndColour = 0, kLedType = 1, kCurrentDpi = 2, kButtonEffect = 3;
inline constexpr std::size_t kGunModeA = 4, kGunModeB = 5, kGunModeOffset = 6, kXAdjust = 7, kYAdjust = 17;
} // namespace user

struct LedTypeByte {
    LedType type = LedType::RGB;
    int mode = 0;     // bits 3:0
    int ledCount = 0; // NT only: 1..8; 0 for the other types
};
// Decides the type by bits 7:6 then 5:4. An NT byte with one LED (0x80 + mode) reads as MCULED.
LedTypeByte decodeLedType(std::uint8_t byte);

int currentProfile(std::uint8_t byte164); // bits 3:0, 0..2 in a sound image
// The profile colour list index: 0..9 for colours 1..10, 10 for the user colour (nibble 15);
// nothing for 10..14, which leave the list unchanged.
std::optional<int> profileColourIndex(std::uint8_t byte164);
// The button-effect list index: a value below 2 is the index, any other value minus 4; nothing
// when that is no item (0 or 1).
std::optional<int> buttonEffectIndex(std::uint8_t byte167);

int fireMacroXAdjust(std::span<const std::uint8_t> userCopy, int i /*0..9*/);
int fireMacroYAdjust(std::span<const std::uint8_t> userCopy, int i /*0..9*/);

// ---- Fire-key block (offsets 484..495, relative to the block) ----

struct FireKeyBlockSlot {
    int repeat = 0;             // count byte + 1
    std::uint16_t interval = 0; // ms
};
FireKeyBlockSlot readFireKeySlot(std::span<const std::uint8_t> fireKeyCopy, int slot /*1..3*/);
inline std::uint8_t factoryVendorCode(std::span<const std::uint8_t> f) {
    return f[0];
}
inline std::uint8_t factoryProductCode(std::span<const std::uint8_t> f) {
    return f[1];
}
inline std::uint8_t imageMarker(std::span<const std::uint8_t> f) {
    return f[11];
}

// ---- Patch block (offsets 1008..1023, relative to the block) ----

struct PatchDescriptor {
    std::uint16_t codeOffset = 0; // bytes 0..1, 0x0400
    std::uint16_t fileWord = 0;   // bytes 2..3, as taken from the patch file
    std::uint16_t fixedWord = 0;  // bytes 4..5, 0x001A
    std::uint16_t checksum = 0;   // bytes 6..7
};
PatchDescriptor decodePatchDescriptor(std::span<const std::uint8_t> patchBlock);

struct McuLed {
    std::uint8_t speedStep = 0; // byte 1016 as stored (the user page reads a value above 7 as 0)
    bool fullBright = false;    // 1017 bit 7
    int countCode = 0;          // 1017 bits 3:0; 0..9 stand for 13 down to 4 LEDs
    std::optional<int> ledCount;
    std::uint8_t checksum = 0;
    bool checksumGood = false;
};
McuLed decodeMcuLed(std::span<const std::uint8_t> patchBlock);

// The patch checksum bytes 6..7 call for: (16-bit sum of the code bytes) XOR 0x015A.
std::uint16_t patchCodeChecksum(std::span<const std::uint8_t> patchCode);

// Why an image the mouse delivered whole cannot be what it holds: no marker at 495, a section whose
// checksum does not add up, or patch code that does not match the patch block's checksum. Nothing
// when none of these is found.
// With `sectionChecksums` false a damaged section is not counted (it was regenerated in the copies,
// and a dump shows it so).
std::optional<std::string> imageDefect(const ImageState& state, bool sectionChecksums = true);

// ---- Names ----

// A 16-byte name of 16-bit big-endian code units, zero-padded, as UTF-8 (ends at the first zero unit).
std::string decodeName16(std::span<const std::uint8_t> name);
// UTF-8 text as a 16-byte name (at most 8 code units; longer text is cut).
std::array<std::uint8_t, 16> encodeName16(std::string_view utf8);

} // namespace krm
