#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace krm {

// Writes bytes to path so that the file holds either its old or its new contents, never a mix:
// the bytes go to a temporary file beside it, are flushed to disk and then renamed over it.
// Returns false and says why in *error when something fails; the old file is then untouched.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr);

} // namespace krm
