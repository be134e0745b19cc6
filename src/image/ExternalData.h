#pragma once

#include "image/ConfigImage.h"
#include "image/ImageFiles.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace krm {

// Fill in the patch descriptor for a patch code array: bytes 0..1 = 04 00, 4..5 = 00 1A, 6..7 = the
// patch checksum (16-bit sum of the code bytes XOR 0x015A, high byte first); bytes 2..3 and 8..15 stay.
void checkEePatchCodeSection(std::span<std::uint8_t, image::kPatchBlockLength> patchBlock,
                             std::span<const std::uint8_t> patchCode);

// A patch file: a 16-byte patch block, then the patch code of the variant's length.
struct PatchFile {
    std::array<std::uint8_t, image::kPatchBlockLength> block{};
    std::vector<std::uint8_t> code;
};

// Refuses a file that is not exactly 16 + the variant's patch code length bytes long (a patch for the
// other chip among them).
FileResult<PatchFile> readPatchFile(const std::string& path, const ImageLayout& layout);
// Take a patch into the patch block copy and the patch code array, and compute the patch block.
// Then the block goes to 1008 and the code to 1024.
void storePatch(SectionCopies& copies, const PatchFile& patch);

// A base macro file: the 512 bytes of a macro block. Refuses a shorter file; extra bytes are ignored.
FileResult<std::array<std::uint8_t, image::kMacroLength>> readBaseMacroFile(const std::string& path);

// A gun macro file: ten fire-macro bodies at a 24-byte stride (240 bytes), for both variants.
// R210B bodies are the 24 bytes as they are. R230B bodies (32 bytes) take the 24 file bytes followed
// by 8 zero bytes, so that no body carries the start of the next one. Refuses a shorter file.
using FireMacroBodies = std::array<std::vector<std::uint8_t>, image::kFireMacroCount>;
inline constexpr std::size_t kGunMacroFileStride = 24;
FileResult<FireMacroBodies> readGunMacroFile(const std::string& path, const ImageLayout& layout);
// Take the bodies into the copies and rebuild the fire-macro area copy from them (names kept); then
// the whole area goes to its offset.
void storeGunMacros(SectionCopies& copies, const FireMacroBodies& bodies);

} // namespace krm
