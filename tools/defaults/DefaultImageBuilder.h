#pragma once

#include "image/ConfigImage.h"

#include <cstdint>
#include <vector>

namespace krm::defaults {

// Factory image k (1..3) of a variant, byte for byte as the program embeds it.
ConfigImage BuildDefaultImage(Variant v, int k);

// The default macro library: 100 empty records of 272 bytes.
std::vector<std::uint8_t> BuildDefaultMacroLibrary();

} // namespace krm::defaults
