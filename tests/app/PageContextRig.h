#pragma once

#include "support/SessionRig.h"
#include "widgets/PageView.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace krm::test {

// A host for pages whose tests follow no page switch or rolling caption.
struct NoHost final : gui::PageHost {
    void rollingLabelEntered(QLabel*) override {}
    void rollingLabelLeft(QLabel*) override {}
    void showPage(Page) override {}
};

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

// With KRM_VIEW_SHOTS=DIR a page test writes what it shows there as DIR/<name>.png, for a look by eye.
inline void saveShot(QWidget& widget, const QString& name) {
    const QString dir = qEnvironmentVariable("KRM_VIEW_SHOTS");
    if (!dir.isEmpty()) widget.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace krm::test
