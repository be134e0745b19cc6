#include "app/gui/Program.h"

namespace krm::gui {

std::unique_ptr<Program> Program::create(const GlobalOptions& options, std::string& error, bool withWindow) {
    std::unique_ptr<Program> p(new Program);
    p->device_ = DeviceBackend::create(options, p->clock_, error);
    if (!p->device_) return nullptr;
    p->session_ = std::make_unique<Session>(p->device_->backend(), p->clock_, p->ui_);
    if (withWindow) {
        p->window_ = std::make_unique<MainWindow>(*p->session_, p->ui_);
        p->ui_.setWindow(p->window_.get());
        p->window_->setEngineeringButtonShown(options.engineering);
        p->window_->formCreate();
    }
    if (options.ids) p->session_->lookAlsoFor(*options.ids);
    return p;
}

Program::~Program() {
    // The window lets the mouse go and leaves the session's observers before the session goes.
    window_.reset();
    ui_.setWindow(nullptr);
}

void Program::show() {
    window_->show();
    window_->createBusyWindow();
}

} // namespace krm::gui
