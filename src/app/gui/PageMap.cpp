#include "app/gui/PageMap.h"

#include "app/gui/PageStack.h"
#include "buttons/ui/KeyPageView.h"
#include "engineering/ui/EngineeringPageView.h"
#include "engineering/ui/UpdatePageView.h"
#include "fire/ui/FireEngineeringPanels.h"
#include "fire/ui/FireSlotPanel.h"
#include "fire/ui/GunPageView.h"
#include "lighting/ui/LightingEngineeringPanel.h"
#include "lighting/ui/LightingPageView.h"
#include "macros/ui/MacroPageView.h"
#include "performance/ui/PerformancePageView.h"
#include "session/Session.h"

#include <utility>

namespace krm::gui {

namespace {

struct Registration {
    int container;
    PageMap::Factory build;
};

// One line per page.
const Registration kPages[] = {
    {1,
     [](const PageContext& c, Session& s) {
         auto page = std::make_unique<KeyPageView>(c, s.assignments(), s.editorState());
         // The right key + back toggle is the lighting editor's to apply, the game-mode triggers the fire
         // editor's.
         QObject::connect(page.get(), &KeyPageView::modeOptionChanged, page.get(),
                          [c, &s, view = page.get()](Followup f) {
                              if (f == Followup::ApplyLedModeCombination)
                                  c.sink->apply(s.lighting().applyLedModeCombination(s.assignments()));
                              if (f == Followup::ApplyGameModeTrigger)
                                  c.sink->apply(s.fire().applyGameModeTrigger());
                              view->refresh();
                          });
         return page;
     }},
    {3, [](const PageContext& c, Session& s) { return std::make_unique<LightingPageView>(c, s.lighting()); }},
    {2,
     [](const PageContext& c, Session& s) {
         auto page =
             std::make_unique<PerformancePageView>(c, s.dpi(), s.sniper(), makeDesktopPointerSettings());
         page->addPanel(std::make_unique<FireSlotPanel>(c, s.fire()));
         return page;
     }},
    {4, [](const PageContext& c, Session& s) { return std::make_unique<MacroPageView>(c, s.macros()); }},
    {6, [](const PageContext& c,
           Session& s) { return std::make_unique<GunPageView>(c, s.fire(), s.assignments()); }},
    {5,
     [](const PageContext& c, Session& s) {
         return std::make_unique<UpdatePageView>(c, std::make_unique<ImageOperations>(s, *c.ui));
     }},
    // Other subsystems' engineering controls: page->placePanel("ts_Operator" | "ts_Gun" | "ts_Engineer",
    // panel), one line each.
    {7,
     [](const PageContext& c, Session& s) {
         auto page = std::make_unique<EngineeringPageView>(
             c, s.engineering(), std::make_unique<ImageOperations>(s, *c.ui),
             [&s](std::uint16_t address) -> std::optional<std::uint8_t> {
                 std::uint8_t value = 0;
                 if (!s.commands().xdataRead(address, value)) return std::nullopt;
                 return value;
             });
         page->placePanel("ts_Operator", std::make_unique<LightingEngineeringPanel>(c, s.lighting()));
         page->placePanel("ts_Operator", std::make_unique<FireModePanel>(c, s.fire()));
         page->placePanel("ts_Gun", std::make_unique<FireGunTuningPanel>(c, s.fire()));
         return page;
     }},
};

} // namespace

PageMap::PageMap(PageStack& stack, const PageContext& context, Session& session)
    : stack_(stack), context_(context), session_(session) {}

PageMap::~PageMap() = default;

PageView* PageMap::built(int container) const {
    if (container < 1 || container > static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<std::size_t>(container - 1)].get();
}

PageView* PageMap::page(int container) {
    if (PageView* existing = built(container)) return existing;
    for (const Registration& r : kPages) {
        if (r.container != container) continue;
        PageContext context = context_;
        context.container = stack_.container(container);
        auto view = r.build(context, session_);
        view->withPanels([&](PageView& v) {
            if (skinned_) v.applySkin(skin_);
            if (context_.texts) v.setTexts(*context_.texts);
            v.refresh();
        });
        stack_.raiseCovers();
        pages_[static_cast<std::size_t>(container - 1)] = std::move(view);
        return built(container);
    }
    return nullptr;
}

void PageMap::applySkin(const PageSkin& skin) {
    skin_ = skin;
    skinned_ = true;
    for (auto& p : pages_)
        if (p) p->withPanels([&](PageView& v) { v.applySkin(skin); });
}

void PageMap::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    for (auto& p : pages_)
        if (p) p->withPanels([&](PageView& v) { v.setTexts(texts); });
}

void PageMap::refresh() {
    for (auto& p : pages_)
        if (p) p->withPanels([](PageView& v) { v.refresh(); });
}

void PageMap::hideMenus() {
    for (auto& p : pages_)
        if (p) p->withPanels([](PageView& v) { v.hideMenus(); });
}

} // namespace krm::gui
