#pragma once

#include "base/TextSource.h"

class QWidget;

namespace krm::gui {

// A subsystem's block of controls placed on another subsystem's page: the lighting and fire parts of
// the engineering tabs. The page map builds the panel with its own editor and hands it to the page,
// which puts its widget on the tab it names and passes on the page's events.
class TabPanel {
public:
    virtual ~TabPanel() = default;
    // The panel's controls; the page takes it into the tab's panel area.
    virtual QWidget* widget() = 0;
    // Repaint from the editor (after every image read and edit on the page).
    virtual void refresh() {}
    virtual void setTexts(const TextSource&) {}
    // The engineering caption column (0 English, 2 Chinese) and its font family.
    virtual void setCaptionColumn(int /*column*/) {}
    // The hidden mode's factory controls were shown or hidden.
    virtual void setFactoryControlsShown(bool /*shown*/) {}
};

} // namespace krm::gui
