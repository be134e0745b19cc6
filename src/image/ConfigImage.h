#pragma once

#include "image/FunctionCode.h"
#include "image/ImageLayout.h"
#include "image/SectionDefaults.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// The 2048 bytes as last read from the mouse, loaded from a file or rebuilt from the section copies.
using ConfigImage = std::array<std::uint8_t, kImageSize>;

// The per-section byte arrays the editors read and change, unpacked from a ConfigImage.
// The variable-length buffers are sized for `layout` by forVariant().
struct SectionCopies {
    ImageLayout layout;
    std::array<std::uint8_t, image::kVendorLength> vendor{};
    std::array<std::uint8_t, image::kUserLength> user{};
    std::array<std::array<std::uint8_t, image::kProfileLength>, 3> profiles{};
    std::array<std::uint8_t, image::kFireKeyLength> fireKey{};
    std::array<std::uint8_t, image::kReservedLength> reserved{};
    std::array<std::uint8_t, image::kMacroLength> macroBlock{};
    std::array<std::uint8_t, image::kPatchBlockLength> patchBlock{};
    std::vector<std::uint8_t> patchCode;     // layout.patchCodeLength bytes
    std::vector<std::uint8_t> fireMacroArea; // layout.fireMacroAreaLength bytes
    std::array<std::vector<std::uint8_t>, image::kFireMacroCount>
        fireMacroBodies; // layout.fireMacroBodySize each
    std::array<std::array<std::uint8_t, image::kFireMacroNameSize>, image::kFireMacroCount>
        fireMacroNames{}; // R230B

    static SectionCopies forVariant(Variant v);
};

// The five sections that carry a checksum, in the order they are validated.
enum class SectionId { Vendor, User, Profile1, Profile2, Profile3 };
std::string_view sectionName(SectionId id); // "vendor", "user", "profile1" ...

struct SectionCheck {
    SectionId id = SectionId::Vendor;
    std::uint8_t stored = 0;   // the checksum byte as found
    std::uint8_t expected = 0; // the checksum the other bytes called for
    bool repaired = false;     // the copy was replaced by generated defaults
};

struct UnpackReport {
    std::array<SectionCheck, 5> sections{};
    bool anyRepaired() const;
};

// Copy the image into the copies (sized for copies.layout), validate the five checksummed sections in
// order (repairing only the copies) and split the fire-macro area into its bodies and, for R230B, names.
UnpackReport unpackImage(const ConfigImage& image, SectionCopies& copies, const DefaultInputs& in);

// Copy every section copy and buffer back into the image at its offset; the free bytes 380..483 and,
// for R230B, nothing else outside the copies stay as they are.
void packImage(const SectionCopies& copies, ConfigImage& image);

// Write the fire-macro bodies (and R230B names) into the fire-macro area copy at their places; the
// area's other bytes stay as they are.
void storeFireMacroBodies(SectionCopies& copies);
// The reverse: the bodies (and R230B names) taken from the fire-macro area copy.
void splitFireMacroArea(SectionCopies& copies);

// The codes as the button editors handle them: 8 upper-case hex digits each.
struct FunctionCodeText {
    std::array<std::array<std::string, 12>, 3> profiles; // [profile 0..2][slot 0..11]
    std::array<std::string, 9> comboKeys;                // combo keys 1..9
};

FunctionCodeText buildFunctionCodeText(const SectionCopies& copies);

// Section-relative access to the 4-byte codes.
FunctionCode profileCode(const SectionCopies& copies, int profile /*1..3*/, int slot /*1..12*/);
FunctionCode comboKeyCode(const SectionCopies& copies, int key /*1..9*/);

} // namespace krm

namespace krm {

// The image and everything unpacked from it, as the main window holds them.
struct ImageState {
    ConfigImage image{};       // all 0 until the first replacement
    SectionCopies copies;      // sized for the identified variant
    FunctionCodeText codeText; // rebuilt from the copies after every unpack
    UnpackReport lastUnpack;   // what the last validation found

    static ImageState forVariant(Variant v);
};

// Replace the image as a whole (full read, file load, default image): store it, unpack and validate
// it, rebuild the function code text. Only the copies are repaired; `image` keeps the bytes given.
void replaceImage(ImageState& state, const ConfigImage& image, const DefaultInputs& in);

} // namespace krm
