#pragma once

#include "base/TextSource.h"

#include <map>
#include <string>

namespace krm::test {

// A language table of a few texts.
class MapTexts : public TextSource {
public:
    // The twelve DPI value texts of the shipped tables and the sniper texts.
    static MapTexts dpiSteps() {
        MapTexts t;
        const char* steps[] = {"200",  "400",  "600",  "800",  "1000", "1200",
                               "1600", "2000", "2400", "3200", "4800", "6400"};
        for (int s = 0; s < 12; ++s) t.set("Str" + std::to_string(300 + s), steps[s]);
        t.set("Str105", "Please select a AIM Key");
        t.set("Str260", "AIM Key");
        return t;
    }
    void set(const std::string& id, const std::string& text) { texts_[id] = text; }
    std::string text(std::string_view id) const override {
        const auto it = texts_.find(std::string(id));
        return it == texts_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> texts_;
};

} // namespace krm::test
