#include "StartupBench.h"

#include "app/gui/MainWindow.h"
#include "app/gui/QtUiPort.h"
#include "device/Clock.h"
#include "device/SimulatedMouse.h"
#include "session/Session.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace krm::bench {

SkinPassTimes timeSkinPasses(int argc, char** argv, int switches) {
    QApplication app(argc, argv);
    SystemClock clock;
    SimulatedMouse mouse(Variant::R210B, clock);
    gui::QtUiPort ui;
    Session session(mouse, clock, ui);
    gui::MainWindow window(session, ui);
    ui.setWindow(&window);
    window.setMessagePresenter([](QWidget*, const QString&, const QString&) {});
    window.formCreate();

    SkinPassTimes times;
    times.startupMs = static_cast<double>(window.firstSkinPassNs()) / 1e6;
    std::vector<double> passes;
    static constexpr int kOrder[] = {2, 3, 1};
    for (int i = 0; i < switches; ++i) {
        QElapsedTimer whole;
        whole.start();
        window.languageButtonClicked(kOrder[i % 3]);
        const double ms = static_cast<double>(whole.nsecsElapsed()) / 1e6;
        // The first visit of looks 2 and 3 decodes their background and key-page picture.
        if (i < 2) times.firstVisitMs = std::max(times.firstVisitMs, ms);
        passes.push_back(static_cast<double>(window.lastSkinPassNs()) / 1e6);
    }
    std::sort(passes.begin(), passes.end());
    if (!passes.empty()) {
        times.medianSwitchMs = passes[passes.size() / 2];
        times.maxSwitchMs = passes.back();
    }
    window.close();
    return times;
}

} // namespace krm::bench
