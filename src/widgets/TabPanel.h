#pragma once

#include "widgets/PageView.h"

class QWidget;

namespace krm::gui {

// A subsystem's block of controls placed on a tab of another subsystem's page: the lighting and fire
// parts of the engineering tabs. It is a PageView like any panel (PageView::addPanel): the page map
// tells it what it tells the page. The page it sits on puts its widget on the tab and tells it the two
// things only that page knows.
class TabPanel : public PageView {
public:
    // The panel's controls; the page takes them into the tab's panel area.
    virtual QWidget* widget() = 0;
    // The engineering caption column (0 English, 2 Chinese) and its font family.
    virtual void setCaptionColumn(int /*column*/) {}
    // The hidden mode's factory controls were shown or hidden.
    virtual void setFactoryControlsShown(bool /*shown*/) {}

    void applySkin(const PageSkin&) override {}
    void setTexts(const TextSource&) override {}
    void shown(Page) override { refresh(); }
};

} // namespace krm::gui
