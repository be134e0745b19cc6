#include "app/WindowRig.h"
#include "app/gui/BusyWindow.h"
#include "app/gui/ImageButton.h"
#include "app/gui/NavigationBar.h"

#include <QtTest>

using krm::test::WindowRig;
using krm::gui::ImageButton;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void windowComesUpCoveredWithoutTouchingTheMouse() {
        WindowRig rig(WindowRig::bothVariants(), false);
        auto& w = rig.window;
        w.formCreate();
        QVERIFY(rig.lines().empty()); // no device I/O while the window is created
        QCOMPARE(w.size(), QSize(1030, 662));
        QCOMPARE(w.windowTitle(), QStringLiteral("KRMR210B Gaming Mouse v1.0"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!w.mask().isEmpty());
        QVERIFY(w.pagesCovered());
        QCOMPARE(w.shownPage(), krm::Page::Profile1);
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("KRM Gaming Mouse"));
        QCOMPARE(rig.session.presence.deviceIdTable.entries[0].vendorId, 0x3A7Eu);

        // Texts of table 1, the profile-1 and language-1 buttons marked.
        auto* profile1 = w.findChild<ImageButton*>(QStringLiteral("Btn_Main_1"));
        auto* lang1 = w.findChild<ImageButton*>(QStringLiteral("Btn_Lang1_1"));
        QVERIFY(profile1 && lang1);
        QCOMPARE(profile1->text(), QStringLiteral("Office Mode"));
        QCOMPARE(profile1->font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(lang1->text(), QStringLiteral("English"));
        QVERIFY(profile1->isMarked() && lang1->isMarked());
        QVERIFY(!w.findChild<ImageButton*>(QStringLiteral("Btn_Switch_1"))->isMarked());

        QCOMPARE(w.devTimer().interval(), 3500);
        QCOMPARE(w.devTimerFirst().interval(), 1000);
        QCOMPARE(w.labelRun().interval(), 200);
        QVERIFY(!w.devTimer().isActive() && !w.devTimerFirst().isActive() && !w.labelRun().isActive());

        // The busy window is created hidden, and its creation starts the first presence timer.
        w.createBusyWindow();
        QVERIFY(w.busyWindow() && !w.busyWindow()->isVisible());
        QCOMPARE(w.busyWindow()->size(), QSize(206, 196));
        QVERIFY(w.devTimerFirst().isActive());
        QVERIFY(!w.devTimer().isActive());
    }

    void closingGivesUpTheMouseAndStopsTheReader() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QVERIFY(rig.session.mouseOpen());
        rig.window.show();
        QVERIFY(rig.window.close());
        QVERIFY(!rig.session.mouseOpen());
        QVERIFY(!rig.window.devTimer().isActive());
        // The reader was blocked in a read on the mouse; the rig's end joins it (a hang fails by timeout).
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
