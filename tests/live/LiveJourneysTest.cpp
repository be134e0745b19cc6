// A person's journey through each page of the live window: real clicks and keys at a person's pace on
// the program's own X window, the trace and the mouse's image checked after each step, the screen after
// a page switch and again after the program was ended and started on the same image file.

#include "live/LiveRig.h"

#include "image/ImageLayout.h"
#include "performance/ui/StepSliderView.h"
#include "widgets/ImageButton.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
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

        // X11 has no double-click time and no wheel setting: those bars are switched off, look it (drawn
        // fainter than the speed bar) and say why.
        for (const char* off : {"Mouse_Double_Click_Lable", "slider_DbSpd", "lbl_IsScreen"}) {
            QVERIFY2(!p.find(off)->isEnabled(), off);
            QVERIFY2(!p.find(off)->toolTip().isEmpty(), off);
        }
        auto brightest = [](QWidget* w) {
            const QImage shown = onScreen(w);
            double most = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) most = std::max(most, luminance(shown.pixel(x, y)));
            return most;
        };
        QVERIFY(brightest(p.find("slider_DbSpd")) < brightest(p.find("slider_Spd")) * 0.7);

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

    // A macro named in the skinned name dialog, recorded from the keyboard, its repeat count and
    // delay typed into the page's boxes, a row's menu and insert box, then added to the mouse.
    void macroPage() {
        LiveProgram p;
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Macro_1")));
        QCOMPARE(p.window().shownPage(), Page::Macro);
        for (const char* heading : {"Marco_List_Lable", "Marco_Content_Lable", "Marco_Mouse_List_Lable"})
            QVERIFY2(captionShown(p.find<QLabel>(heading)) > 0.9, heading);

        // The name dialog: the window's frame and buttons, Enter confirms.
        QVERIFY(hands.click(p.find("Btn_New")));
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeWindow());
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("TForm3")); // it has the keyboard
        QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("IB_Cancel"))->text(),
                 QString::fromStdString(p.session().texts().text("Str512")));
        QVERIFY(textContrast(dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Value"))) >= 4.5 ||
                dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Value"))->text().isEmpty());
        keepShot(*dialog, QStringLiteral("journey-macro-name-dialog"));
        QVERIFY(hands.keys({"Fire", "<Return>"}));
        auto* library = p.find<QListWidget>("LB_PCMacroName");
        QCOMPARE(library->count(), 1);
        QCOMPARE(library->item(0)->text(), QStringLiteral("Fire"));

        // Recorded from the desktop's keyboard: two keys, each down and up.
        QVERIFY(hands.click(p.find("Btn_Start")));
        QVERIFY(hands.keys({"ab"}));
        QVERIFY(hands.click(p.find("Btn_Start")));
        auto* rows = p.find<QListWidget>("LB_macro");
        QVERIFY2(rows->count() >= 4, qPrintable(QString::number(rows->count())));

        // The repeat count and the fixed delay are typed into the page's boxes and read well.
        QVERIFY(hands.click(p.find("lbl_ReleaseStopCount")));
        QVERIFY(hands.click(p.find("Edt_StopCount")));
        QVERIFY(hands.keys({"<ctrl+a>", "7", "<Tab>"}));
        QCOMPARE(lineText(p, "Edt_StopCount"), QStringLiteral("7"));
        QVERIFY(textContrast(p.find("Edt_StopCount")) >= 4.5);
        QVERIFY(hands.click(p.find("lbl_Delay_Setting")));
        QVERIFY(hands.click(p.find("Edt_Delay")));
        QVERIFY(hands.keys({"<ctrl+a>", "30", "<Tab>"}));
        QCOMPARE(lineText(p, "Edt_Delay"), QStringLiteral("30"));
        QVERIFY(textContrast(p.find("Edt_Delay")) >= 4.5);

        // A row's menu is as dark as the window; its insert box reads and its buttons hold their words.
        rows->setCurrentRow(0);
        QVERIFY(hands.clickAt(rows, rows->visualItemRect(rows->item(0)).center(), Qt::RightButton));
        auto* menu = p.find<QMenu>("Pnl_DevContent");
        QVERIFY(menu && menu->isVisible());
        QVERIFY(luminance(onScreen(menu).pixel(menu->width() / 2, menu->height() - 3)) < 0.1);
        keepShot(*menu, QStringLiteral("journey-macro-row-menu"));
        QAction* insert = menu->findChild<QAction*>(QStringLiteral("Str845"));
        QVERIFY(insert);
        QVERIFY(hands.clickAt(menu, menu->actionGeometry(insert).center()));
        QVERIFY(p.find("Gb_Insert")->isVisible());
        for (const char* box : {"CB_Insert", "Edt_InsertDelay"})
            QVERIFY2(textContrast(p.find(box)) >= 4.5, box);
        for (const char* button : {"Btn_OK", "Btn_Cancel"}) {
            auto* b = p.find<QLabel>(button);
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= b->contentsRect().width(), button);
        }
        keepShot(p.window(), QStringLiteral("journey-macro-insert-box"));
        QVERIFY(hands.click(p.find("Btn_Cancel")));
        QVERIFY(!p.find("Gb_Insert")->isVisible());

        // To the mouse: the macro block is written; the mouse's list shows the macro.
        p.newWrites();
        QVERIFY(hands.click(p.find("Btn_Add_Mouse")));
        QVERIFY(!p.newWrites().isEmpty());
        auto* onMouse = p.find<QListWidget>("LB_MacroName");
        QCOMPARE(onMouse->count(), 1);
        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QVERIFY(hands.click(p.find("Btn_Macro_1")));
        QCOMPARE(onMouse->count(), 1);
        p.restart();
        QVERIFY(hands.click(p.find("Btn_Macro_1")));
        QCOMPARE(p.find<QListWidget>("LB_MacroName")->count(), 1);
        QCOMPARE(p.find<QListWidget>("LB_MacroName")->item(0)->text(), QStringLiteral("Fire"));
        keepShot(p.window(), QStringLiteral("journey-macro"));
    }

    // The update page with no file chosen: Program sends nothing.
    void updatePage() {
        LiveProgram p;
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Update_1")));
        QCOMPARE(p.window().shownPage(), Page::Update);
        QVERIFY(captionShown(p.find<QLabel>("lbl_LoadBin")) > 0.9);
        p.newWrites();
        QVERIFY(hands.click(p.find("Btn_Program")));
        QVERIFY(p.newWrites().isEmpty());
        QVERIFY(p.messages.isEmpty());
        QVERIFY(hands.click(p.find("Btn_Main_1")));
        QVERIFY(hands.click(p.find("Btn_Update_1")));
        QVERIFY(captionShown(p.find<QLabel>("lbl_LoadBin")) > 0.9);
        p.restart();
        QVERIFY(hands.click(p.find("Btn_Update_1")));
        QVERIFY(captionShown(p.find<QLabel>("lbl_LoadBin")) > 0.9);
        keepShot(p.window(), QStringLiteral("journey-update"));
    }

    // A gun's stage typed and confirmed: the fire-macro area goes to the mouse and comes back.
    void gunPage() {
        LiveProgram p;
        Hands hands;
        // The shipped branding offers the gun page from no menu: it is opened as the key page's menu
        // entry opens it.
        p.window().showPage(Page::Gun);
        Hands::settle();
        QVERIFY(captionShown(p.find<QLabel>("Gun_Marco_Fire_Count_Lable")) > 0.9);
        QVERIFY(hands.click(p.find("Btn_Fire3")));
        QVERIFY(hands.click(p.find("Edt_FireY1")));
        QVERIFY(hands.keys({"<ctrl+a>", "9", "<Tab>"}));
        QCOMPARE(lineText(p, "Edt_FireY1"), QStringLiteral("9"));
        QVERIFY(textContrast(p.find("Edt_FireY1")) >= 4.5);
        p.newWrites();
        QVERIFY(hands.click(p.find("Btn_FireConfirm")));
        QVERIFY(p.newWrites().join(QLatin1Char('\n')).contains(QStringLiteral("set 40 07 07 10 00 f0")));
        QCOMPARE(p.window().shownPage(), Page::Profile1);
        p.restart();
        p.window().showPage(Page::Gun);
        Hands::settle();
        QVERIFY(hands.click(p.find("Btn_Fire3")));
        QCOMPARE(lineText(p, "Edt_FireY1"), QStringLiteral("9"));
        keepShot(p.window(), QStringLiteral("journey-gun"));
    }

    // The engineering page from its button; the USB description typed key by key while each key's
    // writes run: the mouse holds what the box shows.
    void engineeringPage() {
        LiveProgram p({"--engineering"});
        Hands hands;
        auto* button = p.find<QLabel>("Btn_Engineer_1");
        QVERIFY(button->isVisible());
        QVERIFY(captionShown(button) > 0.9);
        QVERIFY(hands.click(button));
        QCOMPARE(p.window().shownPage(), Page::Engineering);
        QCOMPARE(p.window().width(), 1256);
        QVERIFY(captionShown(p.find<QLabel>("Img_Logo4")) > 0.9);
        auto* description = p.find<QLineEdit>("edt_USBDesc");
        QVERIFY(description->isVisible());
        QVERIFY(hands.click(description));
        QVERIFY(hands.keys({"<ctrl+a>", "ABC"}));
        QCOMPARE(description->text(), QStringLiteral("ABC"));
        const auto image = p.image();
        QCOMPARE(std::string(image.begin() + 111, image.begin() + 115), std::string("ABC\0", 4));
        QVERIFY(hands.click(p.find("Btn_Main_1")));
        QVERIFY(hands.click(button));
        QCOMPARE(description->text(), QStringLiteral("ABC"));
        p.restart();
        QVERIFY(hands.click(p.find("Btn_Engineer_1")));
        QCOMPARE(p.find<QLineEdit>("edt_USBDesc")->text(), QStringLiteral("ABC"));
        keepShot(p.window(), QStringLiteral("journey-engineering"));
    }
};

KRM_LIVE_TEST_MAIN(LiveJourneysTest)
#include "LiveJourneysTest.moc"
