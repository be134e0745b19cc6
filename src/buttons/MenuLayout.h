#pragma once

#include "buttons/FunctionCatalogue.h"

#include <set>

namespace krm {

// Geometry of the cascading function menu, as pure functions the view calls. All coordinates are
// pixels in the main window unless said otherwise. The room a menu opens in is the part of the window
// that lies on its screen: a window near the screen's edge keeps its menus on the screen.

struct MenuPoint {
    int x = 0, y = 0;
    bool operator==(const MenuPoint&) const = default;
};
struct MenuSize {
    int width = 0, height = 0;
};
struct MenuRect {
    int left = 0, top = 0, width = 0, height = 0;
};

inline constexpr int kMenuItemPitch = 24; // items are 24 pixels apart, the first at 1

// The page the menu is opened on.
enum class MenuPage { OfficeMode, GameMode, ThirdMode, Engineering };

// The switches that decide how much of the menu a page shows.
struct MenuBranding {
    bool gunDisplay = false;   // gdEnable
    bool buttonEffect = false; // beEnable
    bool gameModePage = true;  // the skin shows the Game Mode page button
    bool thirdModePage = true; // the skin shows the Third Mode page button
};

// How high Pnl_Main, Pnl_Special and Pnl_Profile are (items past the height are hidden), and where
// the two movable items of Pnl_Special sit.
struct MenuSizes {
    int mainHeight = 0;
    int specialHeight = 0;
    int profileHeight = 0;
    int fireMacroKeyTop = 0; // Key_FireMacroKey
    int buttonEffectTop = 0; // Key_BtnEFT
    bool operator==(const MenuSizes&) const = default;
};
MenuSizes menuSizes(MenuPage page, const MenuBranding& branding);

// Pnl_Main opened from a main-page label: its corner at the label's middle, flipped left or up
// when it would not fit inside the room, and never past the room's left or top edge.
MenuPoint placeMenuAtLabel(const MenuRect& label, MenuSize menu, const MenuRect& room);

// Pnl_Main opened from a profile-table or combo-key button. `button` is in its group box, whose
// origin on the engineering page is `group`; `pageTop` is the engineering page's top in the window.
// The menu starts 10 pixels right of the button's left edge, or ends 10 pixels right of its right
// edge when it would pass the page's width; its bottom lies 38 pixels below the button's top.
MenuPoint placeMenuAtTableButton(const MenuRect& button, MenuPoint group, int pageTop, int pageWidth,
                                 MenuSize menu);

// A submenu opened from `item` (in its parent panel's coordinates) of the panel at `parent`.
// It opens right of the parent when the whole cascade (`cascadeWidth`: Pnl_Main, Pnl_Special and a
// third-level panel side by side) fits between `mainLeft` and the room's right edge, else left of
// the parent; it is aligned with the item, or raised so its bottom meets the item's bottom (but not
// above the room's top) when it would pass the room's bottom.
MenuPoint placeSubmenu(const MenuRect& parent, const MenuRect& item, MenuSize submenu, int mainLeft,
                       int cascadeWidth, const MenuRect& room);

// Which panels are open while the pointer moves through the menu (KeyByTagMouseEnter).
class MenuCascade {
public:
    // The menu opens with Pnl_Main alone.
    void open();
    // HideAllMenu.
    void hideAll() { shown_.clear(); }
    // The pointer entered the item with `tag` of `parent`. A submenu item shows its panel and hides
    // its siblings and everything below them (the two lists open only when `listHasRows`); a leaf
    // of Pnl_Main hides every submenu, a leaf of Pnl_Special the third-level panels.
    void enter(MenuPanel parent, int tag, bool listHasRows = true);
    bool isShown(MenuPanel panel) const { return shown_.count(panel) != 0; }

private:
    void hideFromLevel(int level);
    std::set<MenuPanel> shown_;
};

} // namespace krm
