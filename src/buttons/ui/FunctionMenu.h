#pragma once

#include "widgets/ClickLabel.h"

#include "base/TextSource.h"
#include "buttons/AssignmentEditor.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/MenuLayout.h"
#include "shell/SkinLayout.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <utility>
#include <vector>

namespace krm::gui {

// Tags of the Pnl_Main items that choose no function code of their own.
inline constexpr int kUserDefinedItem = -1; // Key_Assembly: the key-combination dialog
inline constexpr int kGunPageItem = -2;     // Key_FireMacro: the gun page

struct MenuColours {
    QColor back, border, text;   // Color_G_Back, Color_G_Border, Color_G
    QColor hoverBack, hoverText; // Color_G_SP, Color_G_SF
};

// One row of a menu panel: a function, a submenu opener, one of the two Pnl_Main actions, or a row of
// the device-macro or gun-key list.
class FunctionMenuItem : public ClickLabel {
    Q_OBJECT
public:
    enum class Kind { Function, Branch, UserDefined, GunPage, DeviceMacro, GunKeyEntry };

    FunctionMenuItem(QWidget* panel, MenuPanel parent, Kind kind, int tag);

    MenuPanel parentPanel() const { return parent_; }
    Kind kind() const { return kind_; }
    // The menu tag, the branch tag, kUserDefinedItem / kGunPageItem, the macro slot or the gun-key entry.
    int tag() const { return tag_; }
    // The row the item takes in its panel (its top is 1 + 24 × row unless the page moves it).
    int row() const { return row_; }
    void setRow(int row) { row_ = row; }

    void setHighlighted(bool on, const MenuColours& colours);
    bool highlighted() const { return highlighted_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    MenuPanel parent_;
    Kind kind_;
    int tag_;
    int row_ = 0;
    bool highlighted_ = false;
};

// The cascading function menu: Pnl_Main and the panels and lists it opens, as children of the main
// window, placed in window coordinates. It shows, places and colours the panels and reports what was
// chosen; what a choice does is the owner's business.
class FunctionMenu : public QObject {
    Q_OBJECT
public:
    explicit FunctionMenu(QWidget* window);
    ~FunctionMenu() override;

    // After each skin and language pass: panel widths, colours, fonts and captions
    // (" " + Str200 + " " + the name).
    void applySkin(const SkinLayout& layout, const QString& fontFamily, const TextSource& texts);
    // How much of Pnl_Main, Pnl_Special and Pnl_Profile shows, and where the two movable items sit.
    void setSizes(const MenuSizes& sizes);
    const MenuSizes& sizes() const { return sizes_; }
    // The rows of LB_Name (slot, name) and LB_Script (entry numbers).
    void setDeviceMacros(const std::vector<std::pair<int, QString>>& rows);
    void setGunKeyList(const std::vector<int>& rows);

    // Shows Pnl_Main alone with its top left corner at `topLeft`. The main page offers the gun page
    // (Key_FireMacro), the profile table and the combo keys the gun-key list (Key_TLFireMacro).
    void open(QPoint topLeft, MenuTarget from);
    // For a menu opened from the keyboard: the focus goes to the first item of Pnl_Main. Up and Down
    // move through a panel, Right enters the submenu an item opens, Left goes back to its opener,
    // Enter and Space choose; when the menu closes, the focus returns to where it was at open().
    // A menu opened with the pointer takes the same keys: they go on from the item the pointer lit
    // (Down and Up from Pnl_Main's ends when it lit none), Enter and Space choose that item.
    void focusFirstItem();
    // HideAllMenu.
    void hideAll();
    bool isOpen() const;
    QSize mainSize() const;

    QWidget* panel(MenuPanel panel) const;
    // The item of `panel` with `tag`; nullptr when there is none.
    FunctionMenuItem* item(MenuPanel panel, int tag) const;
    // What the pointer entering an item does: submenus open and close, the item lights up.
    void hover(FunctionMenuItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void functionChosen(int tag);
    void userDefinedChosen();
    void gunPageChosen();
    void deviceMacroChosen(int slot);
    void gunKeyEntryChosen(int n);

private:
    struct Caption {
        FunctionMenuItem* item;
        std::string nameId;
    };

    FunctionMenuItem* addItem(MenuPanel panel, FunctionMenuItem::Kind kind, int tag, int row,
                              std::string_view objectName, std::string_view nameId);
    void build();
    void wire(FunctionMenuItem* item);
    void styleItem(FunctionMenuItem* item);
    int panelWidth(MenuPanel panel) const;
    int panelHeight(MenuPanel panel) const;
    void layoutPanels();
    void fillList(MenuPanel list, const std::vector<std::pair<int, QString>>& rows);
    bool offered(const FunctionMenuItem* item) const;
    bool listHasRows(MenuPanel list) const;
    void showCascade(FunctionMenuItem* opener);
    void unhover(FunctionMenuItem* item);
    void click(FunctionMenuItem* item);
    // The items of a panel as shown, top to bottom; the item whose submenu `panel` is.
    std::vector<FunctionMenuItem*> shownItems(MenuPanel panel) const;
    // A key on an item with the focus, and one on the widget that kept the focus when the pointer
    // opened the menu; true when the menu took it.
    bool keyOnItem(FunctionMenuItem* item, int key);
    bool keyOutsideMenu(int key);
    FunctionMenuItem* opener(MenuPanel panel) const;

    QWidget* window_;
    std::map<MenuPanel, QPointer<QWidget>> panels_;
    std::map<MenuPanel, int> rows_; // fixed row counts of the panels without a page-dependent height
    std::vector<Caption> captions_;
    MenuCascade cascade_;
    MenuColours colours_;
    QFont font_;
    MenuWidths widths_{190, 200, 180};
    MenuSizes sizes_;
    MenuTarget from_ = MenuTarget::MainPage;
    QPointer<QWidget> returnFocus_;
    QPointer<QWidget> keysFrom_;         // the keys go to the menu from here while it is open
    QPointer<FunctionMenuItem> current_; // the item lit last
};

} // namespace krm::gui
