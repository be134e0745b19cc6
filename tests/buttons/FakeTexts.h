#pragma once

#include "base/TextSource.h"

#include <map>
#include <string>

namespace krm::test {

// The language-table texts the button functions use, as table 1 has them; the two left-button
// warnings exist only in table 2 and are taken from there so that a test can tell them apart.
class FakeTexts : public TextSource {
public:
    FakeTexts() {
        texts_ = {
            {"Str200", "*"},
            {"Str205", "User-defined"},
            {"Str210", "Left Click"},
            {"Str211", "Right Click"},
            {"Str212", "Middle Click"},
            {"Str213", "Backward"},
            {"Str214", "Forward"},
            {"Str221", "DPI Loop"},
            {"Str222", "DPI Up"},
            {"Str223", "DPI Down"},
            {"Str231", "Fire Key1"},
            {"Str232", "Fire Key2"},
            {"Str233", "Fire Key3"},
            {"Str241", "Power Down"},
            {"Str242", "Sleep"},
            {"Str243", "Wake Up"},
            {"Str251", "Office Mode"},
            {"Str252", "Game Mode"},
            {"Str253", "Third Mode"},
            {"Str254", "KB Switch Loop"},
            {"Str260", "AIM Key"},
            {"Str261", "LED Mode"},
            {"Str262", "LED Switch"},
            {"Str263", "Button Effect Switch"},
            {"Str264", "Report Rate"},
            {"Str265", "Fire Macro Key"},
            {"Str266", "Fire Macro Off"},
            {"Str268", "Adjust XY Fn"},
            {"Str269", "Adjust XY Switch"},
            {"Str270", "Play/Pause"},
            {"Str271", "Stop"},
            {"Str272", "Previous Track"},
            {"Str273", "Next Track"},
            {"Str274", "Volume Up"},
            {"Str275", "Volume Down"},
            {"Str276", "Mute"},
            {"Str277", "Key Off"},
            {"Str280", "Home"},
            {"Str281", "Search"},
            {"Str282", "WWW Back"},
            {"Str283", "WWW Forward"},
            {"Str284", "Stop"},
            {"Str285", "Refresh"},
            {"Str286", "Favorites"},
            {"Str290", "My Computer"},
            {"Str291", "Calculator"},
            {"Str292", "E-Mail"},
            {"Str293", "Desktop"},
            {"Str294", "至少保留一个左键"},
            {"Str295", "至少保留一个左键或压枪键"},
            {"Str600", "AKM Fire"},
            {"Str601", "M16 Fire"},
            {"Str602", "M4 Fire"},
            {"Str603", "UMP9 Fire"},
            {"Str604", "SCAR-L Fire"},
            {"Str605", "5.56 Fire"},
            {"Str606", "7.62 Fire"},
        };
    }
    std::string text(std::string_view id) const override {
        const auto it = texts_.find(std::string(id));
        return it == texts_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> texts_;
};

} // namespace krm::test
