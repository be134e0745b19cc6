// A person's journey through each page of the live window: real clicks and keys at a person's pace on
// the program's own X window, the trace and the mouse's image checked after each step, the screen after
// a page switch and again after the program was ended and started on the same image file.

#include "live/LiveRig.h"

#include "image/ImageLayout.h"
#include "performance/ui/StepSliderView.h"
#include "widgets/ImageButton.h"

#include <QLineEdit>
#include <QSlider>

using namespace krm;
using namespace krm::test;

namespace {

QString lineText(LiveProgram& p, const char* name) {
    return p.find<QLineEdit>(name)->text();
}

} // namespace

class LiveJourneysTest : public QObject {
    Q_OBJECT
private slots:
    // The fire-key slot typed as fast as a person types, while each value's write runs; a switched-off
    // DPI level's box; a DPI slider's track.
    void performancePage() {
        LiveProgram p;
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QCOMPARE(p.window().shownPage(), Page::Performance);
        for (const char* heading : {"DPI_Setting_Lable", "Rating_Setting_Lable", "Fire_Key_Lable"})
            QVERIFY2(captionShown(p.find<QLabel>(heading)) > 0.9, heading);
        p.newCommands();

        // Repeat 5, Tab, interval 100, Tab: the first value's write runs while the next keys come.
        QVERIFY(hands.click(p.find("Edt_Repeat1")));
        QVERIFY(hands.keys({"<ctrl+a>", "5", "<Tab>", "100", "<Tab>"}));
        const QStringList slotWrite{"set 40 07 00 c0 00 93 00 00 +21", "set 40 07 01 e4 00 0c 00 00 +2",
                                    "set 40 05 00 a4 0f 00 00 01", "set 40 05 00 a4 00 00 00 01"};
        QCOMPARE(p.newWrites(), slotWrite + slotWrite);
        QCOMPARE(p.image()[0x1E6], 4); // repeat 5
        QCOMPARE(p.image()[0x1E7] * 256 + p.image()[0x1E8], 100);
        QCOMPARE(lineText(p, "Edt_Repeat1"), QStringLiteral("5"));
        QCOMPARE(lineText(p, "Edt_DelayTime1"), QStringLiteral("100"));
        QVERIFY(textContrast(p.find("Edt_DelayTime1")) >= 4.5);

        // Five levels are on; level 7's greyed box is no level to make current.
        const std::uint8_t current = p.image()[166];
        QVERIFY(hands.click(p.find("Img_DPI7")));
        QVERIFY(p.newWrites().isEmpty());
        QCOMPARE(p.image()[166], current);

        // A click on level 1's track writes the step the knob shows.
        auto* slider = p.find<gui::StepSliderView>("slider_DPI1");
        const int before = slider->value();
        QVERIFY(hands.clickAt(slider, QPoint(slider->width() * 9 / 10, slider->height() / 2)));
        QVERIFY(slider->value() > before);
        QVERIFY(!p.newWrites().isEmpty());
        const int moved = slider->value();

        // Another page and back, then the program again on the same mouse.
        QVERIFY(hands.click(p.find("Btn_Breath_1")));
        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QCOMPARE(slider->value(), moved);
        p.restart();
        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QCOMPARE(lineText(p, "Edt_Repeat1"), QStringLiteral("5"));
        QCOMPARE(lineText(p, "Edt_DelayTime1"), QStringLiteral("100"));
        QCOMPARE(p.find<gui::StepSliderView>("slider_DPI1")->value(), moved);
        QVERIFY(captionShown(p.find<QLabel>("Fire_Key_Lable")) > 0.9);
        keepShot(p.window(), QStringLiteral("journey-performance"));
    }

    // The headings of the lighting page and its speed slider's track.
    void lightingPage() {
        LiveProgram p;
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Breath_1")));
        QCOMPARE(p.window().shownPage(), Page::Lighting);
        for (const char* heading : {"LED_Mode_Lable", "LED_Effect_Setting_Lable", "LED_Color_Lable"})
            QVERIFY2(captionShown(p.find<QLabel>(heading)) > 0.9, heading);
        p.newCommands();

        // The simulated mouse's LEDs are MCU LEDs: a click on the track beside the knob moves it one
        // step, and the mouse takes that step.
        auto* slider = p.find<QSlider>("slider_MCULED_Speed");
        QVERIFY(slider->isVisible());
        const int before = slider->value();
        QVERIFY(hands.clickAt(
            slider, QPoint(before < slider->maximum() / 2 ? slider->width() - 4 : 4, slider->height() / 2)));
        const int moved = slider->value();
        QVERIFY(moved != before);
        QVERIFY(!p.newWrites().isEmpty());
        QCOMPARE(p.session().lighting().mcuStepSegment(), moved / 100 + 1);

        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QVERIFY(hands.click(p.find("Btn_Breath_1")));
        QCOMPARE(slider->value(), moved);
        p.restart();
        QVERIFY(hands.click(p.find("Btn_Breath_1")));
        QCOMPARE(p.find<QSlider>("slider_MCULED_Speed")->value(), moved);
        QVERIFY(captionShown(p.find<QLabel>("LED_Mode_Lable")) > 0.9);
        keepShot(p.window(), QStringLiteral("journey-lighting"));
    }

    // A key's function through the menu; page buttons visited in English keep their Chinese captions
    // once the language is switched, hovered or not.
    void keyPageAndLanguages() {
        LiveProgram p;
        Hands hands;
        auto* key4 = p.find<QLabel>("Key4");
        const bool forward = key4->text() == QStringLiteral("Forward");
        QVERIFY(hands.click(key4));
        QVERIFY(p.find("Pnl_Main")->isVisible());
        QVERIFY(hands.hover(p.find("Pnl_Main")->findChild<QWidget*>(QStringLiteral("Key_Standard"))));
        QVERIFY(hands.click(p.find(forward ? "Key_Middle" : "Key_B5")));
        const QString chosen = forward ? QStringLiteral("Middle Click") : QStringLiteral("Forward");
        QCOMPARE(key4->text(), chosen);
        const QStringList writes = p.newWrites();
        QVERIFY(!writes.isEmpty());
        QCOMPARE(writes.front(), QStringLiteral("set 40 07 00 c0 00 93 00 00 +21"));

        auto* performance = p.find<gui::ImageButton>("Btn_Adv_1");
        QVERIFY(hands.click(performance));
        QVERIFY(hands.click(p.find("Btn_Breath_1")));
        QVERIFY(hands.click(p.find("Btn_Main_1")));
        QCOMPARE(p.window().shownPage(), Page::Profile1);
        QVERIFY(hands.click(p.find("Btn_Lang2_1")));
        const QString chinese = QString::fromStdString(p.session().texts().text("Str007"));
        QCOMPARE(performance->text(), chinese);
        QVERIFY(hands.hover(performance));
        QCOMPARE(performance->caption(), chinese);
        QVERIFY(hands.hover(p.find("Btn_Main_1")));
        QCOMPARE(performance->text(), chinese);
        QVERIFY(captionShown(performance) > 0.9);

        p.restart();
        QCOMPARE(p.find<QLabel>("Key4")->text(), chosen);
        QVERIFY(captionShown(p.find<QLabel>("Key4")) > 0.9);
        keepShot(p.window(), QStringLiteral("journey-key-page"));
    }
};

KRM_LIVE_TEST_MAIN(LiveJourneysTest)
#include "LiveJourneysTest.moc"
