#include "app/gui/WindowMenu.h"

#include "app/gui/CompanionControls.h"
#include "widgets/MessageBox.h"
#include "widgets/SkinWidgets.h"

#include <QMenu>

namespace krm::gui {

WindowMenu::WindowMenu(QWidget* window) : QObject(window), window_(window) {}

WindowMenu::~WindowMenu() = default;

void WindowMenu::setControls(CompanionControls* controls) {
    controls_ = controls;
    if (menu_) menu_.reset(); // made again with these controls' actions
}

CompanionControls& WindowMenu::controls() {
    if (!controls_) {
        // No companion: the window's own controls, whose "Game profiles..." opens over the window.
        own_ = std::make_unique<CompanionControls>();
        controls_ = own_.get();
        connect(controls_, &CompanionControls::rgbServingChanged, this, &WindowMenu::rgbServingChanged);
        connect(controls_, &CompanionControls::rulesAsked, this,
                [this] { controls_->showRules(window_, look_); });
        connect(controls_, &CompanionControls::problem, this,
                [this](const QString& text) { MessageBox::show(window_, text, look_.fontFamily); });
    }
    return *controls_;
}

void WindowMenu::popup(QPoint at, const DialogLook& look) {
    look_ = look;
    CompanionControls& c = controls();
    if (!menu_) {
        menu_ = std::make_unique<QMenu>(window_);
        menu_->setObjectName(QStringLiteral("WindowMenu"));
        menu_->addActions({c.rulesAction(), c.noticesAction(), c.autostartAction(), c.rgbAction()});
    }
    if (look.texts) c.refresh(*look.texts);
    if (look.layout) menu_->setStyleSheet(menuStyle(*look.layout));
    menu_->setFont(skinFont(look.fontFamily, 10));
    menu_->popup(at);
}

} // namespace krm::gui
