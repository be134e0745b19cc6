#pragma once

#include "widgets/PageView.h"

#include <array>
#include <functional>
#include <memory>

namespace krm {
class Session;
} // namespace krm

namespace krm::gui {

class PageStack;

// The window's pages by container (1 key page, 2 performance, 3 lighting, 4 macro, 5 update, 6 gun,
// 7 engineering). Each page registers one line in PageMap.cpp naming its container and how it is
// built from its editor; the map builds a page when it is first asked for, gives it the current look
// and texts, and passes every later skin pass, language change and repaint on to the pages built.
class PageMap {
public:
    using Factory = std::function<std::unique_ptr<PageView>(const PageContext& context, Session& session)>;

    // `context` is shared by every page but for its container, which the map fills in.
    PageMap(PageStack& stack, const PageContext& context, Session& session);
    ~PageMap();

    // The page of container n, built now if it is not yet; null when none is registered there.
    PageView* page(int container);
    // The page of container n if it has been built.
    PageView* built(int container) const;
    template <typename T> T* find(int container) { return dynamic_cast<T*>(page(container)); }

    void applySkin(const PageSkin& skin);
    void setTexts(const TextSource& texts);
    void refresh();
    void hideMenus();

private:
    PageStack& stack_;
    PageContext context_;
    Session& session_;
    PageSkin skin_;
    bool skinned_ = false;
    std::array<std::unique_ptr<PageView>, 7> pages_;
};

} // namespace krm::gui
