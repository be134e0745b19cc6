#pragma once

#include "base/IniFile.h"
#include "base/TextSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// The three language tables ("lang1", "lang2", "lang3") and the active language number L (1..3),
// which selects the table that text(id) reads. Each table is parsed on first use and kept; copies
// of a LanguageTables share the parsed tables.
class LanguageTables : public TextSource {
public:
    // The bytes of table 1..3, or nothing when the table is missing.
    using Source = std::function<std::optional<std::vector<std::uint8_t>>(int language)>;

    // The tables embedded in the program.
    LanguageTables();
    explicit LanguageTables(Source source);

    // The text of an id in table L ("Str210", "Title", "FontName"), looked up in the table's own
    // section "langL". A missing id, table or language number gives the empty text.
    std::string lookup(int language, std::string_view id) const;
    bool contains(int language, std::string_view id) const;
    // The parsed table L (empty for a language number outside 1..3).
    const IniFile& table(int language) const;

    // Reverse lookup for re-texting a label after a language change: for n = 0..800 the id "Str" + n
    // (no leading zeros, so ids below 100 never match) is read from tables 1, 2 and 3 in that order;
    // the last id whose text equals `text` wins. Nothing for the empty text or when no id matches.
    std::optional<std::string> findTextId(std::string_view text) const;
    // A label's text in table L: the text of its reverse-looked-up id, or the text unchanged.
    std::string retext(std::string_view labelText, int language) const;

    // Active language for TextSource. Numbers outside 1..3 are ignored.
    void setLanguage(int language);
    int language() const { return language_; }
    std::string text(std::string_view id) const override { return lookup(language_, id); }

private:
    struct Store;
    std::shared_ptr<Store> store_;
    int language_ = 1;
};

// Lookups in the embedded tables.
std::string lookupText(int language, std::string_view id);
std::optional<std::string> findTextId(std::string_view text);

} // namespace krm
