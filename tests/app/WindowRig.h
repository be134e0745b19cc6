#pragma once

#include "app/gui/MainWindow.h"
#include "app/gui/QtUiPort.h"
#include "device/Clock.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"
#include "session/Session.h"
#include "support/SessionRig.h"
#include "support/TraceSummary.h"

#include <QStringList>

#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// The main window on a session with the simulated mouse, on virtual time, seen through the protocol
// trace. Messages are written down instead of waiting for a click.
struct WindowRig {
    explicit WindowRig(Branding branding = bothVariants(), bool create = true)
        : mouse(Variant::R210B, clock), session(trace, clock, ui, std::move(branding)), window(session, ui) {
        ui.setWindow(&window);
        window.setMessagePresenter([this](QWidget*, const QString& text, const QString& font) {
            messages.push_back(text);
            messageFonts.push_back(font);
        });
        if (create) {
            window.formCreate();
            window.createBusyWindow();
        }
    }

    static Branding bothVariants() { return SessionRig::bothVariants(); }

    std::vector<std::string> lines() const { return traceLines(traceText.str()); }
    // The command reports sent (feature reports starting 0x40).
    std::vector<std::string> commands() const {
        std::vector<std::string> out;
        for (const auto& l : lines())
            if (l.starts_with("set 40")) out.push_back(l);
        return out;
    }
    void clearTrace() { traceText.str(""); }

    FakeClock clock;
    SimulatedMouse mouse;
    std::ostringstream traceText;
    TracingBackend trace{mouse, traceText};
    gui::QtUiPort ui;
    Session session;
    gui::MainWindow window;
    QStringList messages;
    QStringList messageFonts;
};

} // namespace krm::test
