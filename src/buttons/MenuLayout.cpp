#include "buttons/MenuLayout.h"

#include <algorithm>

#include <iterator>

namespace krm {

namespace {
constexpr int rowTop(int row) {
    return 1 + kMenuItemPitch * row;
}
constexpr int heightFor(int rows) {
    return kMenuItemPitch * rows + 2;
}
} // namespace

MenuSizes menuSizes(MenuPage page, const MenuBranding& b) {
    MenuSizes s;
    // Rows of Pnl_Special: 0..8 up to Key Off, 9 Fire Macro Key, 10 Fire Macro Off, 11 Adjust XY Key,
    // 12 Button Effect Switch; the last one moves up to row 9 when the gun items are not offered.
    const bool allItems = page == MenuPage::Engineering || (page == MenuPage::GameMode && b.gunDisplay);
    if (allItems) {
        s.mainHeight = heightFor(8);
        s.specialHeight = page == MenuPage::Engineering || b.buttonEffect ? heightFor(13) : heightFor(12);
        s.fireMacroKeyTop = rowTop(9);
        s.buttonEffectTop = rowTop(12);
    } else {
        s.mainHeight = heightFor(7);
        s.specialHeight = b.buttonEffect ? heightFor(10) : heightFor(9);
        s.fireMacroKeyTop = b.buttonEffect ? rowTop(12) : rowTop(9);
        s.buttonEffectTop = b.buttonEffect ? rowTop(9) : rowTop(12);
    }
    if (page == MenuPage::Engineering || b.thirdModePage)
        s.profileHeight = heightFor(4);
    else
        s.profileHeight = heightFor(2);
    if (page == MenuPage::OfficeMode && !b.gameModePage) s.profileHeight = 0;
    return s;
}

MenuPoint placeMenuAtLabel(const MenuRect& label, MenuSize menu, const MenuRect& room) {
    const int right = room.left + room.width, bottom = room.top + room.height;
    MenuPoint p{label.left + label.width / 2, label.top + label.height / 2};
    if (!(label.left + label.width + menu.width < right)) p.x -= menu.width;
    if (!(label.top + label.height + menu.height < bottom)) p.y -= menu.height;
    // A label near the room's far edge flips the menu past its near one: it is pushed back in.
    p.x = std::max(p.x, room.left);
    p.y = std::max(p.y, room.top);
    return p;
}

MenuPoint placeMenuAtTableButton(const MenuRect& button, MenuPoint group, int pageTop, int pageWidth,
                                 MenuSize menu) {
    const int left = group.x + button.left;
    MenuPoint p;
    p.x = left + menu.width > pageWidth ? left + button.width + 10 - menu.width : left + 10;
    p.y = pageTop + group.y + button.top + 38 - menu.height;
    return p;
}

MenuPoint placeSubmenu(const MenuRect& parent, const MenuRect& item, MenuSize submenu, int mainLeft,
                       int cascadeWidth, const MenuRect& room) {
    const int right = room.left + room.width, bottom = room.top + room.height;
    MenuPoint p;
    p.x = mainLeft + cascadeWidth <= right ? parent.left + item.left + item.width + 2
                                           : parent.left - submenu.width;
    p.y = parent.top + item.top;
    if (p.y + submenu.height > bottom)
        p.y = std::max(parent.top + item.top + item.height - submenu.height, room.top);
    return p;
}

void MenuCascade::open() {
    shown_ = {MenuPanel::Main};
}

void MenuCascade::hideFromLevel(int level) {
    for (auto it = shown_.begin(); it != shown_.end();)
        it = menuPanelLevel(*it) >= level ? shown_.erase(it) : std::next(it);
}

void MenuCascade::enter(MenuPanel parent, int tag, bool listHasRows) {
    const int childLevel = menuPanelLevel(parent) + 1;
    if (childLevel > 3) return;
    hideFromLevel(childLevel);
    const auto panel = submenuFor(parent, tag);
    if (!panel) return;
    const bool isList = *panel == MenuPanel::MacroList || *panel == MenuPanel::GunKeyList;
    if (!isList || listHasRows) shown_.insert(*panel);
}

} // namespace krm
