// Two mice and one window: the owner holds the other mouse in a session of its own, the title bar
// offers the choice, and a choice hands the mice over without either being held twice.

#include "app/gui/MouseOwner.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MouseChooser.h"
#include "app/gui/QtUiPort.h"
#include "device/Clock.h"
#include "device/DeviceLock.h"
#include "device/SimulatedMachine.h"
#include "support/SessionRig.h"

#include <QtTest>

#include <memory>

using namespace krm;

namespace {

std::vector<std::unique_ptr<SimulatedMouse>> twoMice(FakeClock& clock) {
    std::vector<std::unique_ptr<SimulatedMouse>> mice;
    mice.push_back(std::make_unique<SimulatedMouse>(Variant::R210B, clock, 1));
    mice.push_back(std::make_unique<SimulatedMouse>(Variant::R230B, clock, 2));
    return mice;
}

struct TwoMiceRig {
    TwoMiceRig() {
        ui.setWindow(&window);
        window.setMessagePresenter(
            [this](QWidget*, const QString& text, const QString&) { messages << text; });
        window.formCreate();
        window.createBusyWindow(false);
        window.devTimerTimer(); // the window's mouse: the first
        owner.attachWindow(window);
    }
    FakeClock clock;
    SimulatedMachine machine{twoMice(clock)};
    gui::QtUiPort ui;
    Session session{machine, clock, ui, test::SessionRig::bothVariants()};
    gui::MainWindow window{session, ui};
    gui::MouseOwner owner{session, ui, clock, machine};
    QStringList messages;
};

std::string heldBy(const Session& s) {
    return s.link().location().device;
}

} // namespace

class MouseOwnerTest : public QObject {
    Q_OBJECT
private slots:
    void theOtherMouseIsHeldAndTheWindowHandsOver() {
        TwoMiceRig r;
        QCOMPARE(heldBy(r.session), std::string("simulated-1"));
        QCOMPARE(r.owner.chooser()->accessibleName(), QStringLiteral("Mouse 1 of 2"));

        r.owner.scan();
        auto sessions = r.owner.sessions();
        QCOMPARE(sessions.size(), std::size_t{2});
        QCOMPARE(heldBy(*sessions[1]), std::string("simulated-2"));
        QCOMPARE(sessions[1]->variant(), Variant::R230B);
        QVERIFY(r.owner.chooser()->isVisibleTo(&r.window));
        QCOMPARE(r.owner.chooser()->accessibleName(), QStringLiteral("Mouse 1 of 2"));

        // The choice: the window's session reads the second mouse, the first gets a session of its own.
        r.owner.chooser()->chosen("simulated-2");
        sessions = r.owner.sessions();
        QCOMPARE(heldBy(r.session), std::string("simulated-2"));
        QCOMPARE(r.session.variant(), Variant::R230B);
        QCOMPARE(sessions.size(), std::size_t{2});
        QCOMPARE(heldBy(*sessions[1]), std::string("simulated-1"));
        QCOMPARE(r.owner.chooser()->accessibleName(), QStringLiteral("Mouse 2 of 2"));
        QVERIFY(r.messages.isEmpty());

        // In Chinese, the chooser speaks Chinese.
        r.window.languageButtonClicked(2);
        QVERIFY(r.owner.chooser()->accessibleName().startsWith(QStringLiteral("鼠标 2")));

        // The other mouse unplugged: its session lets go, and the chooser leaves the title bar.
        r.machine.mouse(0).setAttached(false);
        r.owner.scan();
        QCOMPARE(r.owner.sessions().size(), std::size_t{1});
        QVERIFY(r.owner.chooser()->isHidden());
    }
};

QTEST_MAIN(MouseOwnerTest)
#include "MouseOwnerTest.moc"
