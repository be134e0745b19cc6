#pragma once

#include "base/IniFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// UTF-16 little-endian text to UTF-8. Surrogate pairs are joined; a lone surrogate or a trailing odd
// byte becomes U+FFFD.
std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes);

// Splits language-table text into items: items are separated by blanks and line breaks (any
// character up to the space); a run in double quotes is one item without its quotes, and a doubled
// quote inside it stands for one quote character.
std::vector<std::string> splitLanguageItems(std::string_view text);

// Reads a language table: the first two bytes (the byte-order mark FF FE) are skipped, the rest is
// UTF-16LE text. An item "[name]" opens a section; any other item is an entry of the current
// section, split into key and value at its first '='. Items before the first section and items
// without '=' are ignored.
IniFile parseLanguageTable(std::span<const std::uint8_t> bytes);

} // namespace krm
