#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace krm {

// The panels of the cascading function menu.
enum class MenuPanel {
    Main,       // Pnl_Main
    MseKey,     // Pnl_MseKey
    Special,    // Pnl_Special
    Media,      // Pnl_Media
    WWW,        // Pnl_WWW
    MyPC,       // Pnl_MyPC
    CPIKey,     // Pnl_CPIKey
    FireKey,    // Pnl_FireKey
    ACPI,       // Pnl_ACPI
    Profile,    // Pnl_Profile
    AdjustXY,   // Pnl_AdjustXY
    MacroList,  // LB_Name, the device macros
    GunKeyList, // LB_Script, the gun-key list
};

// Depth of a panel in the cascade: 1 for Pnl_Main, 2 for what it opens, 3 for what Pnl_Special opens.
int menuPanelLevel(MenuPanel panel);

// One function of the menu: choosing it builds a code from its tag.
struct CatalogueEntry {
    int tag;
    std::string_view menuItem;    // the menu label's name ("Key_Left")
    std::string_view nameId;      // language id of its name ("Str210")
    MenuPanel panel;              // where the item sits
    std::string_view englishName; // the name in language table 1
};

// Every function of the menu, in menu order within each panel.
std::span<const CatalogueEntry> functionCatalogue();
const CatalogueEntry* catalogueEntry(int tag);

// A menu item that opens a submenu or a list; its tag is what the hover handler looks at.
struct MenuBranch {
    int tag;
    std::string_view menuItem;
    std::string_view nameId;
    MenuPanel parent;
    MenuPanel opens;
};
std::span<const MenuBranch> menuBranches();
// The panel a branch item of `parent` with `tag` opens; nothing for a leaf.
std::optional<MenuPanel> submenuFor(MenuPanel parent, int tag);

// Menu tags with a meaning beyond their catalogue entry.
namespace tags {
inline constexpr int kLeft = 900, kRight = 901, kMiddle = 902, kBackward = 903, kForward = 904;
inline constexpr int kAim = 1000, kFireMacroKey = 1005, kKeyOff = 1007;
inline constexpr int kProfile1 = 2300, kProfile2 = 2301, kProfile3 = 2302, kProfileLoop = 2303;
} // namespace tags

} // namespace krm
