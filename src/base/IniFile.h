#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace krm {

// One line of INI text that is neither blank nor a comment, with its line number (1-based), for readers
// that report where a problem is.
struct IniLine {
    enum class Kind {
        Section, // "[name]": `name` trimmed; `closed` false when the ']' is missing
        Entry,   // "key = value": both trimmed, the value split at the first '='
        Other,   // anything else (`text`)
    };
    Kind kind = Kind::Other;
    int number = 0;
    std::string_view name, key, value, text;
    bool closed = true;
};
// The lines of `text` (split at CR, LF or CRLF; a leading UTF-8 byte-order mark skipped), blank lines and
// comments left out: a comment is a line whose first non-blank character is ';' or '#' or that starts
// with "//". The views point into `text`.
std::vector<IniLine> iniLines(std::string_view text);

// Sections of key = value entries, as the branding and skin INIs hold them.
// Section and key lookups ignore letter case; the first of two equal keys in a section wins.
class IniFile {
public:
    // Reads 8-bit INI text: "[section]" lines, "key = value" entries; comments as iniLines() has them;
    // keys and values are trimmed.
    static IniFile parse(std::string_view text);

    // Adds an entry (kept only when the key is new in that section).
    void add(std::string_view section, std::string_view key, std::string_view value);

    bool hasSection(std::string_view section) const;
    std::optional<std::string> text(std::string_view section, std::string_view key) const;
    // The value as a decimal integer; nothing when the key is missing or its value is not a number.
    std::optional<long> integer(std::string_view section, std::string_view key) const;
    // The keys of a section in file order.
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Section {
        std::unordered_map<std::string, std::string> values; // lower-case key -> value
        std::vector<std::string> order;                      // keys as written
    };
    const Section* find(std::string_view section) const;
    std::unordered_map<std::string, Section> sections_; // lower-case name -> section
};

// `text` without the blanks (spaces, tabs, line ends) at either end.
std::string_view trimmed(std::string_view text);

// ASCII letters in lower case: how section, key, picture and resource names are compared.
std::string foldCase(std::string_view text);

// Plain decimal conversion: optional sign and digits, nothing else (surrounding blanks allowed).
std::optional<long> parseDecimal(std::string_view text);
// A decimal number within low..high (both included); nothing when it is not one or lies outside.
std::optional<int> parseDecimalIn(std::string_view text, int low, int high);

} // namespace krm
