#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace krm {

// The locale id the engineering captions follow: 2052 (Chinese, PRC) or 0 for any other locale.
inline constexpr int kLocaleChinesePrc = 2052;

// Caption column for a locale id: 2052 gives column 2 (Simplified Chinese), anything else column 0.
int captionColumnForLocaleId(int localeId);

// The locale id of a POSIX locale name: "zh_CN" (with any ".codeset" or "@modifier") is 2052,
// every other name 0.
int localeIdFromName(std::string_view localeName);

// The locale name that governs messages: the first non-empty one of LC_ALL, LC_MESSAGES and LANG.
using EnvironmentLookup = std::function<const char*(const char*)>;
std::string messagesLocaleName(const EnvironmentLookup& getenv);

// The caption column for this process, decided once from the environment.
int engineeringCaptionColumn();

// Font family for the engineering controls of a column: "DejaVu Sans" for English and
// "WenQuanYi Micro Hei" for the Chinese columns, both present on Debian.
std::string_view engineeringFontFamily(int column);

} // namespace krm
