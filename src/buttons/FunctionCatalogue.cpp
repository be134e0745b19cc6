#include "buttons/FunctionCatalogue.h"

#include <array>

namespace krm {

namespace {

using P = MenuPanel;

constexpr std::array<CatalogueEntry, 47> kCatalogue{{
    {900, "Key_Left", "Str210", P::MseKey, "Left Click"},
    {901, "Key_Right", "Str211", P::MseKey, "Right Click"},
    {902, "Key_Middle", "Str212", P::MseKey, "Middle Click"},
    {903, "Key_B4", "Str213", P::MseKey, "Backward"},
    {904, "Key_B5", "Str214", P::MseKey, "Forward"},
    {1000, "Key_AIM", "Str260", P::Special, "AIM Key"},
    {1001, "Key_LEDMode", "Str261", P::Special, "LED Mode"},
    {1002, "Key_LEDSwitch", "Str262", P::Special, "LED Switch"},
    {1004, "Key_ReportRate", "Str264", P::Special, "Report Rate"},
    {1007, "Key_KeyOff", "Str277", P::Special, "Key Off"},
    {1005, "Key_FireMacroKey", "Str265", P::Special, "Fire Macro Key"},
    {1006, "Key_FireMacroOff", "Str266", P::Special, "Fire Macro Off"},
    {1003, "Key_BtnEFT", "Str263", P::Special, "Button Effect Switch"},
    {1100, "Key_PlayPause", "Str270", P::Media, "Play/Pause"},
    {1101, "Key_Stop", "Str271", P::Media, "Stop"},
    {1102, "Key_PreviousTrack", "Str272", P::Media, "Previous Track"},
    {1103, "Key_NextTrack", "Str273", P::Media, "Next Track"},
    {1104, "Key_VolumePlus", "Str274", P::Media, "Volume Up"},
    {1105, "Key_VolumeMinus", "Str275", P::Media, "Volume Down"},
    {1106, "Key_Mute", "Str276", P::Media, "Mute"},
    {1200, "Key_WWWHome", "Str280", P::WWW, "Home"},
    {1201, "Key_WWWSearch", "Str281", P::WWW, "Search"},
    {1202, "Key_WWWBack", "Str282", P::WWW, "WWW Back"},
    {1203, "Key_WWWForward", "Str283", P::WWW, "WWW Forward"},
    {1204, "Key_WWWStop", "Str284", P::WWW, "Stop"},
    {1205, "Key_WWWRefresh", "Str285", P::WWW, "Refresh"},
    {1206, "Key_WWWFavorites", "Str286", P::WWW, "Favorites"},
    {1300, "Key_Computer", "Str290", P::MyPC, "My Computer"},
    {1301, "Key_Calculator", "Str291", P::MyPC, "Calculator"},
    {1302, "Key_EMail", "Str292", P::MyPC, "E-Mail"},
    {1303, "Key_Desktop", "Str293", P::MyPC, "Desktop"},
    {2000, "Key_CPI", "Str221", P::CPIKey, "DPI Loop"},
    {2001, "Key_CPII", "Str222", P::CPIKey, "DPI Up"},
    {2002, "Key_CPID", "Str223", P::CPIKey, "DPI Down"},
    {2100, "Key_Fire1", "Str231", P::FireKey, "Fire Key1"},
    {2101, "Key_Fire2", "Str232", P::FireKey, "Fire Key2"},
    {2102, "Key_Fire3", "Str233", P::FireKey, "Fire Key3"},
    {2200, "Key_PowerDown", "Str241", P::ACPI, "Power Down"},
    {2201, "Key_Sleep", "Str242", P::ACPI, "Sleep"},
    {2202, "Key_WakeUp", "Str243", P::ACPI, "Wake Up"},
    {2300, "Key_Profile1", "Str251", P::Profile, "Office Mode"},
    {2301, "Key_Profile2", "Str252", P::Profile, "Game Mode"},
    {2302, "Key_Profile3", "Str253", P::Profile, "Third Mode"},
    {2303, "Key_Profile", "Str254", P::Profile, "KB Switch Loop"},
    {2400, "Key_AdjustXYFn", "Str268", P::AdjustXY, "Adjust XY Fn"},
    {2401, "Key_AdjustXYSwitch", "Str269", P::AdjustXY, "Adjust XY Switch"},
    // Not a menu item of its own: the catalogue's name for the all-zero code.
    {0, "", "Str277", P::Special, "Key Off"},
}};

// Submenu openers of Pnl_Main (tags 1..6, 13) and Pnl_Special (7..10, 12).
constexpr std::array<MenuBranch, 12> kBranches{{
    {1, "Key_Standard", "Str201", P::Main, P::MseKey},
    {2, "Key_Special", "Str202", P::Main, P::Special},
    {3, "Key_Media", "Str203", P::Main, P::Media},
    {4, "Key_WWW", "Str204", P::Main, P::WWW},
    {5, "Key_MyPC", "Str207", P::Main, P::MyPC},
    {6, "Key_Macro", "Str206", P::Main, P::MacroList},
    {13, "Key_TLFireMacro", "Str208", P::Main, P::GunKeyList},
    {7, "Key_CPIKey", "Str220", P::Special, P::CPIKey},
    {8, "Key_Fire", "Str230", P::Special, P::FireKey},
    {9, "Key_ACPIKey", "Str240", P::Special, P::ACPI},
    {10, "Key_ProfileKey", "Str250", P::Special, P::Profile},
    {12, "Key_AdjustXY", "Str267", P::Special, P::AdjustXY},
}};

} // namespace

int menuPanelLevel(MenuPanel panel) {
    switch (panel) {
    case P::Main:
        return 1;
    case P::CPIKey:
    case P::FireKey:
    case P::ACPI:
    case P::Profile:
    case P::AdjustXY:
        return 3;
    default:
        return 2;
    }
}

std::span<const CatalogueEntry> functionCatalogue() {
    return std::span<const CatalogueEntry>(kCatalogue.data(), kCatalogue.size() - 1);
}

const CatalogueEntry* catalogueEntry(int tag) {
    for (const auto& e : kCatalogue)
        if (e.tag == tag) return &e;
    return nullptr;
}

std::span<const MenuBranch> menuBranches() {
    return kBranches;
}

std::optional<MenuPanel> submenuFor(MenuPanel parent, int tag) {
    for (const auto& b : kBranches)
        if (b.parent == parent && b.tag == tag) return b.opens;
    return std::nullopt;
}

} // namespace krm
