#pragma once

#include "base/TextSource.h"
#include "session/EditRequest.h"
#include "session/Page.h"
#include "shell/Branding.h"
#include "shell/SkinLayout.h"

#include <QString>

#include <memory>
#include <vector>

class QLabel;
class QWidget;

namespace krm {
class UiPort;
} // namespace krm

namespace krm::gui {

// What a page asks of the window around it.
class PageHost {
public:
    virtual ~PageHost() = default;
    // The pointer entered or left a label whose caption rolls while hovered (when the branding says so).
    virtual void rollingLabelEntered(QLabel* label) = 0;
    virtual void rollingLabelLeft(QLabel* label) = 0;
    // Bring up another page without asking the mouse (the gun page from the key page's menu).
    virtual void showPage(Page page) = 0;
};

// Everything a page is built with. A page gets its editor from its registration line in the page map;
// it never sees the whole session.
struct PageContext {
    QWidget* container = nullptr; // the page's container: window-sized, children in window coordinates
    QWidget* window = nullptr;    // the main window: menus, dialogs and covers go here
    EditSink* sink = nullptr;     // carries the editor's outcomes out (the session)
    UiPort* ui = nullptr;         // message box, busy window
    PageHost* host = nullptr;
    const TextSource* texts = nullptr; // the active language
    const Branding* branding = nullptr;
};

// The look a skin pass gives the pages.
struct PageSkin {
    const SkinLayout* layout = nullptr; // placements of the look, kept up to date by every pass
    QString fontFamily;                 // the language's font
    int language = 1;                   // 1..3: language, skin section and picture set together
};

// One page of the main window. The window's page map builds a page when it is first shown and then
// tells it, in this order, the look (after every skin pass), the texts (after every language change)
// and when to repaint from its editor.
class PageView {
public:
    virtual ~PageView() = default;
    // Positions, fonts, colours and pictures of the look.
    virtual void applySkin(const PageSkin& skin) = 0;
    // Captions in the active language.
    virtual void setTexts(const TextSource& texts) = 0;
    // Repaint every control from the editor.
    virtual void refresh() = 0;
    // The page came up; the key page is shown for the three profile pages and learns which one.
    virtual void shown(Page page) = 0;
    // Close whatever drop-down or pop-up the page has open.
    virtual void hideMenus() {}

    // A panel of another subsystem placed on this page by the page map (the fire-key slots on the
    // performance page). It is built on the same container and is told everything the page is told.
    void addPanel(std::unique_ptr<PageView> panel) { panels_.push_back(std::move(panel)); }
    // Calls `f` for the page, then for each of its panels.
    template <typename F> void withPanels(F&& f) {
        f(*this);
        for (auto& p : panels_) f(*p);
    }

private:
    std::vector<std::unique_ptr<PageView>> panels_;
};

} // namespace krm::gui
