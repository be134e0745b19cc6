#include "shell/LanguageTables.h"

#include "base/ResourceTable.h"
#include "shell/LanguageTableReader.h"

#include <array>
#include <mutex>

namespace krm {

namespace {
constexpr int kTables = 3;
constexpr int kLastReverseId = 800;

bool validLanguage(int language) {
    return language >= 1 && language <= kTables;
}

std::string sectionOf(int language) {
    return "lang" + std::to_string(language);
}

std::optional<std::vector<std::uint8_t>> embeddedTable(int language) {
    auto bytes = ResourceTable::find(sectionOf(language));
    if (!bytes) return std::nullopt;
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}
} // namespace

struct LanguageTables::Store {
    explicit Store(Source s) : source(std::move(s)) {}

    const IniFile& get(int language) {
        const auto i = static_cast<std::size_t>(language - 1);
        std::call_once(once[i], [&] {
            if (auto bytes = source(language)) tables[i] = parseLanguageTable(*bytes);
        });
        return tables[i];
    }

    Source source;
    std::array<std::once_flag, kTables> once;
    std::array<IniFile, kTables> tables;
};

LanguageTables::LanguageTables() {
    static const std::shared_ptr<Store> kEmbedded = std::make_shared<Store>(embeddedTable);
    store_ = kEmbedded;
}

LanguageTables::LanguageTables(Source source) : store_(std::make_shared<Store>(std::move(source))) {}

const IniFile& LanguageTables::table(int language) const {
    static const IniFile kNone;
    return validLanguage(language) ? store_->get(language) : kNone;
}

std::string LanguageTables::lookup(int language, std::string_view id) const {
    return table(language).text(sectionOf(language), id).value_or(std::string());
}

bool LanguageTables::contains(int language, std::string_view id) const {
    return table(language).text(sectionOf(language), id).has_value();
}

std::optional<std::string> LanguageTables::findTextId(std::string_view text) const {
    // An empty label would match every id a table lacks; it keeps its (empty) text.
    if (text.empty()) return std::nullopt;
    std::optional<std::string> found;
    for (int n = 0; n <= kLastReverseId; ++n) {
        std::string id = "Str" + std::to_string(n);
        for (int language = 1; language <= kTables; ++language) {
            auto value = table(language).text(sectionOf(language), id);
            if (value && *value == text) found = id;
        }
    }
    return found;
}

std::string LanguageTables::retext(std::string_view labelText, int language) const {
    if (auto id = findTextId(labelText)) return lookup(language, *id);
    return std::string(labelText);
}

void LanguageTables::setLanguage(int language) {
    if (validLanguage(language)) language_ = language;
}

std::string lookupText(int language, std::string_view id) {
    return LanguageTables().lookup(language, id);
}

std::optional<std::string> findTextId(std::string_view text) {
    return LanguageTables().findTextId(text);
}

} // namespace krm
