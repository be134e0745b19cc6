#pragma once

#include "widgets/LookDialog.h"

#include <QObject>
#include <QPoint>

#include <memory>

class QMenu;

namespace krm::gui {

class CompanionControls;

// The window's own menu, opened by the title bar's menu button or a right click on the window: the
// settings of the background companion ("Game profiles...", the notices of the mouse's buttons, starting
// with the desktop, serving the lighting to RGB programs), drawn in the look's menu colours and captioned in
// the language. A window of its own makes the controls the first time its menu opens; the companion's window
// shares the companion's.
class WindowMenu : public QObject {
    Q_OBJECT
public:
    explicit WindowMenu(QWidget* window);
    ~WindowMenu() override;

    void setControls(CompanionControls* controls);
    CompanionControls& controls();
    // Opens the menu at `at` (global) in `look`.
    void popup(QPoint at, const DialogLook& look);
    // The menu once it has opened, else null.
    QMenu* menu() const { return menu_.get(); }

signals:
    // The window's own controls turned the RGB-sync server on or off.
    void rgbServingChanged(bool on);

private:
    QWidget* window_;
    CompanionControls* controls_ = nullptr;
    std::unique_ptr<CompanionControls> own_;
    std::unique_ptr<QMenu> menu_;
    DialogLook look_;
};

} // namespace krm::gui
