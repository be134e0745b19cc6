#pragma once

#include "shell/Session.h"

#include <QString>

#include <memory>
#include <vector>

class QWidget;

namespace krm {
class UiPort;
class SkinLayout;
} // namespace krm

namespace krm::gui {

class MainWindow;

// What the main window asks of the key page's own widgets (the button-function labels, the
// mode-switch options, the cascading function menu and the key-combination dialog).
class KeyPage {
public:
    virtual ~KeyPage() = default;
    // After every skin and language pass.
    virtual void applySkin(const QString& fontFamily) = 0;
    // The captions of the current profile's keys.
    virtual void refresh() = 0;
    // The page shown: how much of the function menu it offers.
    virtual void setPageMenuSizes(Page page) = 0;
    virtual void hideAllMenus() = 0;

    // For screenshots: the menu of a key opened along a path of item tags, and the key-combination
    // dialog (returned so it can be drawn).
    virtual void openMenuPath(int button, const std::vector<int>& tags) = 0;
    virtual QWidget* openKeyComboDialog() = 0;
};

// The key page on page 1 of `window`: its signals reach the window's text rolling and gun page.
// Null while the program is built without the key page's widgets.
std::unique_ptr<KeyPage> createKeyPage(QWidget* page1, MainWindow& window, Session& session,
                                       SkinLayout& layout, UiPort& ui);

// Key 4's menu open three levels deep: Special Key, then CPI Key.
inline const std::vector<int> kThreeLevelMenuPath{2, 7};

} // namespace krm::gui
