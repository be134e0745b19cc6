#pragma once

#include "support/SessionRig.h"
#include "widgets/PageView.h"

namespace krm::test {

// What a page is built with in the tests: its container and window, the rig's session as edit sink,
// texts and branding, its recording UI port, and the given host.
inline gui::PageContext pageContext(SessionRig& rig, QWidget* container, QWidget* window,
                                    gui::PageHost& host) {
    gui::PageContext context;
    context.container = container;
    context.window = window;
    context.sink = &rig.session;
    context.ui = &rig.ui;
    context.host = &host;
    context.texts = &rig.session.texts();
    context.branding = &rig.session.branding();
    return context;
}

} // namespace krm::test
