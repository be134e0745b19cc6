#include "app/WindowRig.h"
#include "image/SectionDefaults.h"
#include "widgets/ImageButton.h"

#include <QLabel>
#include <span>

#include <QtTest>

using krm::Page;
using krm::gui::ImageButton;
using krm::test::WindowRig;

// A user's first minutes with the simulated mouse: it is found and read, profile 2 is chosen, a button
// gets a new function, the mouse is unplugged and plugged back.
class JourneyTest : public QObject {
    Q_OBJECT
private slots:
    void startChooseProfileAssignUnplugReplug() {
        WindowRig rig;
        auto& w = rig.window;
        QVERIFY(w.pagesCovered());
        QVERIFY(w.devTimerFirst().isActive());

        // The first poll finds the mouse and reads its image: the pages uncover, DevTimer takes over.
        w.devTimerTimer();
        QCOMPARE(rig.session.presence().chipModel(), std::string("R210B"));
        QVERIFY(!w.pagesCovered());
        QVERIFY(!w.devTimerFirst().isActive());
        QVERIFY(w.devTimer().isActive());
        QVERIFY(rig.messages.isEmpty());

        // Profile 2 writes its five game-setting bytes and becomes the shown, marked page.
        rig.clearTrace();
        auto* profile2 = w.findChild<ImageButton*>(QStringLiteral("Btn_Switch_1"));
        QTest::mouseClick(profile2, Qt::LeftButton);
        QCOMPARE(rig.commands(), (std::vector<std::string>{
                                     "set 40 05 00 a7 00 00 00 01",
                                     "set 40 05 00 a8 0f 00 00 01",
                                     "set 40 05 00 a9 00 00 00 01",
                                     "set 40 05 00 aa 18 00 00 01",
                                     "set 40 05 00 a4 01 00 00 01",
                                 }));
        QCOMPARE(w.shownPage(), Page::Profile2);
        QVERIFY(profile2->isMarked());
        QVERIFY(!w.findChild<ImageButton*>(QStringLiteral("Btn_Main_1"))->isMarked());

        // Key4 gets Middle Click through the function menu: Standard Mouse Key, then Middle. The
        // mouse holds the new code at once, with a valid checksum, and the label shows its name.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        rig.clearTrace();
        auto* key4 = w.findChild<QLabel*>(QStringLiteral("Key4"));
        QTest::mouseClick(key4, Qt::LeftButton);
        auto* mainMenu = w.findChild<QWidget*>(QStringLiteral("Pnl_Main"));
        QVERIFY(mainMenu->isVisible());
        auto* standard = mainMenu->findChild<QWidget*>(QStringLiteral("Key_Standard"));
        QTest::mouseMove(standard, standard->rect().center());
        auto* middle = w.findChild<QWidget*>(QStringLiteral("Key_Middle"));
        QVERIFY(middle->isVisible());
        QTest::mouseMove(middle, middle->rect().center());
        QTest::mouseClick(middle, Qt::LeftButton);
        QVERIFY(!mainMenu->isVisible());
        const auto image = rig.mouse.image();
        const std::size_t slot4 = krm::image::profileOffset(2) + 12;
        QCOMPARE(image[slot4], 0x01);
        QCOMPARE(image[slot4 + 1], 0x04);
        QCOMPARE(image[slot4 + 2], 0x00);
        QVERIFY(krm::sectionChecksumGood(
            std::span(image).subspan(krm::image::profileOffset(2), krm::image::kProfileLength)));
        QCOMPARE(key4->text(), QStringLiteral("Middle Click"));
        QCOMPARE(rig.commands().front(), std::string("set 40 07 00 c0 00 93 00 00"));

        // Unplugged: the next poll covers the pages, goes back to profile 1 and says so.
        rig.mouse.setAttached(false);
        w.devTimerTimer();
        QVERIFY(w.pagesCovered());
        QCOMPARE(w.shownPage(), Page::Profile1);
        QVERIFY(w.findChild<ImageButton*>(QStringLiteral("Btn_Main_1"))->isMarked());
        QCOMPARE(rig.messages, QStringList{QStringLiteral("Waiting for the device reconnect")});
        QCOMPARE(rig.messageFonts, QStringList{QStringLiteral("DejaVu Sans")});

        // Plugged back: found, read, uncovered.
        rig.mouse.setAttached(true);
        w.devTimerTimer();
        QVERIFY(!w.pagesCovered());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.session.mouseOpen());
    }
};

QTEST_MAIN(JourneyTest)
#include "JourneyTest.moc"
