// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "performance/ui/PerformancePageView.h"
#include "performance/ui/StepSliderView.h"
#include "shell/Skin.h"
#include "widgets/QtImages.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

const QString kFont = QStringLiteral("DejaVu Sans");

using test::NoHost;

// The performance page of a window against the simulated mouse, on a skin pass of one look, the image
// read; the desktop's pointer settings in memory.
struct PerformanceRig {
    explicit PerformanceRig(Variant variant = Variant::R210B, int barType = 0, int look = 1)
        : rig(variant, branding(barType)) {
        window.setFixedSize(1030, 662);
        auto* base = new QLabel(&window);
        base->setPixmap(resourcePixmap(QStringLiteral("L%1_BackGround").arg(look)));
        base->setGeometry(0, 0, 1030, 662);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(look), look, SkinBranding{0, barType, 1}, PictureSizes::fromResources(), layout);
        if (const Placement* p = layout.find("Img_P2")) {
            auto* picture = new QLabel(page);
            picture->setPixmap(resourcePixmap(QString::fromStdString(p->picture)));
            picture->setGeometry(p->x, p->y, p->width, p->height);
        }
        connected = rig.session.connectNow();
        auto memory = std::make_unique<MemoryPointerSettings>();
        memory->reading = PointerReading{10, kPrecisionOn, 500, 3};
        memory->reasons[static_cast<std::size_t>(PointerItem::OneScreen)] = "not here";
        desktop = memory.get();
        const PageContext context = test::pageContext(rig, page, &window, host);
        view = std::make_unique<PerformancePageView>(context, rig.session.dpi(), rig.session.sniper(),
                                                     std::move(memory));
        view->applySkin(PageSkin{&layout, kFont, look});
        view->setTexts(rig.session.texts());
        window.show();
    }

    static Branding branding(int barType) {
        Branding b = test::SessionRig::bothVariants();
        b.barConfigType = barType;
        return b;
    }
    template <typename W = QWidget> W* get(const std::string& name) {
        auto* w = qobject_cast<W*>(view->control(name));
        if (!w) qFatal("no control %s", name.c_str());
        return w;
    }
    void click(const std::string& name) { QTest::mouseClick(get(name), Qt::LeftButton); }
    std::vector<std::string> writes() { return test::writesOf(test::commandSummary(rig.lines())); }
    QString text(const std::string& name) { return get<QLabel>(name)->text(); }

    test::SessionRig rig;
    NoHost host;
    QWidget window;
    QWidget* page = nullptr;
    SkinLayout layout;
    MemoryPointerSettings* desktop = nullptr;
    std::unique_ptr<PerformancePageView> view;
    bool connected = false;
};

using Lines = std::vector<std::string>;

class PerformancePageTest : public QObject {
    Q_OBJECT
private slots:
    void clickingTheStepsWritesThroughAtOnce() {
        PerformanceRig r;
        QVERIFY(r.connected);
        QCOMPARE(r.text("lbl_DPI1Value"), QStringLiteral("800"));
        r.click("Img_DPI2_8");
        r.rig.clearTrace();
        const auto busy = [&r] {
            const auto calls = r.rig.ui.calls();
            return std::count(calls.begin(), calls.end(), "busy+");
        };
        const auto busyBefore = busy();
        r.click("Img_DPI1_6");
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 2c 75 00 00 01", "set 40 05 00 a6 00 00 00 01",
                                    "set 40 05 00 a6 01 00 00 01"}));
        QCOMPARE(r.text("lbl_DPI1Value"), QStringLiteral("1200"));
        // The busy window was up for each write.
        QCOMPARE(busy() - busyBefore, 3);

        // The rate the mouse has: byte 4 again, no restart. The level count from level 7's label.
        r.rig.clearTrace();
        r.click("lbl_Rep4");
        r.click("lbl_DPI7");
        r.click("Img_DPI4");
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 04 bf 00 00 01", "set 40 05 00 2b 06 00 00 01",
                                    "set 40 05 00 2b 06 00 00 01", "set 40 05 00 a6 03 00 00 01"}));
        QCOMPARE(r.rig.mouse.restarts(), 0);
        QCOMPARE(r.get<QComboBox>("combox_dpi_count")->currentIndex(), -1); // 7 levels: not in the list

        // A level that is off takes no clicks on its steps.
        r.rig.clearTrace();
        r.click("Img_DPI8_3");
        QVERIFY(r.writes().empty());

        // No sniper button in the factory image: nothing sent, the message shown.
        r.click("Img_AIMDPI_4");
        QVERIFY(r.writes().empty());
        QCOMPARE(r.rig.ui.messages(), (std::vector<std::string>{"Please select a AIM Key"}));
        QCOMPARE(r.text("lbl_AIMDPIValue"), QStringLiteral("200"));
        test::saveShot(r.window, QStringLiteral("performance-bars-R210B-look1"));
    }

    void slidersTellADragFromAClick() {
        PerformanceRig r(Variant::R210B, 1);
        QVERIFY(r.connected);
        auto* slider = r.get<StepSliderView>("slider_DPI1");
        QVERIFY(slider->isVisible());
        QVERIFY(!r.get("Img_DPI1_1")->isVisible());
        QCOMPARE(slider->value(), 300);
        // A click on the thumb of the step it has sends nothing.
        const int width = slider->width();
        const int atStep3 = width * 3 / 11;
        r.rig.clearTrace();
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(atStep3, slider->height() / 2));
        QVERIFY(r.writes().empty());
        // Dragged to the right end: the last step.
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(atStep3, 5));
        QTest::mouseMove(slider, QPoint(width - 1, 5));
        QCOMPARE(r.text("lbl_DPI1Value"), QStringLiteral("6400"));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(width - 1, 5));
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 2c 6b 00 00 01", "set 40 05 00 a6 00 00 00 01",
                                    "set 40 05 00 a6 01 00 00 01"}));
        QCOMPARE(slider->value(), 1100);

        // A screen reader hears a slider named by its level, at the value the page shows.
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(slider);
        QCOMPARE(heard->role(), QAccessible::Slider);
        QCOMPARE(heard->text(QAccessible::Name), QStringLiteral("DPI 1"));
        QCOMPARE(heard->valueInterface()->currentValue().toInt(), 6400);

        // The keys move it a stop and write at once; at its end it stays.
        r.rig.clearTrace();
        QTest::keyClick(slider, Qt::Key_Left);
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 2c 6a 00 00 01", "set 40 05 00 a6 00 00 00 01",
                                    "set 40 05 00 a6 01 00 00 01"}));
        QCOMPARE(r.text("lbl_DPI1Value"), QStringLiteral("4800"));
        QCOMPARE(heard->valueInterface()->currentValue().toInt(), 4800);
        QTest::keyClick(slider, Qt::Key_End);
        r.rig.clearTrace();
        QTest::keyClick(slider, Qt::Key_Right);
        QVERIFY(r.writes().empty());
        // The pointer speed's slider: a step of the desktop's setting.
        QTest::keyClick(r.get<StepSliderView>("slider_Spd"), Qt::Key_Home);
        QCOMPARE(r.desktop->applied.back().speed, speedForStep(1));
    }

    void pointerBarsGoToTheDesktop() {
        PerformanceRig r;
        auto& d = *r.desktop;
        r.rig.clearTrace();
        r.click("Img_Spd11");
        r.click("Img_DbSpd7");
        r.click("lbl_IsControl");
        QCOMPARE(d.applied.size(), std::size_t{3});
        QCOMPARE(d.applied[0], (PointerValues{20, kPrecisionOn, 480, 3}));
        QCOMPARE(d.applied[2], (PointerValues{20, kPrecisionOff, 480, 3}));
        QVERIFY(r.writes().empty()); // nothing of it reaches the mouse
        // The item the desktop has no equivalent for is disabled and says why, in the chosen language.
        QVERIFY(!r.get("Img_IsScreen")->isEnabled());
        QCOMPARE(
            r.get("Img_IsScreen")->toolTip(),
            QStringLiteral("The desktop (memory) has no setting for scrolling a screen per wheel notch"));
        r.rig.session.setLanguage(2);
        r.view->setTexts(r.rig.session.texts());
        QCOMPARE(r.get("lbl_IsScreen")->toolTip(),
                 QStringLiteral("桌面（memory）没有滚轮每格滚动一屏的设置"));
        r.click("Img_IsScreen");
        QCOMPARE(d.applied.size(), std::size_t{3});
    }

    void aChangeTheMouseDidNotTakeShowsOneMessageAndWhatTheMouseHolds() {
        // Level 1 from 800 to 1200 is three writes: the value, then the current level away and back.
        struct Case {
            const char* name;
            int writesTaken; // before the mouse refuses every image write
            QString shown;   // level 1 on the page afterwards: the mouse's
        };
        const Case cases[] = {{"the value refused", 0, QStringLiteral("800")},
                              {"the level switch refused", 1, QStringLiteral("1200")}};
        for (const Case& c : cases) {
            PerformanceRig r;
            QVERIFY(r.connected);
            r.rig.session.setLanguage(2);
            r.view->setTexts(r.rig.session.texts());
            r.rig.ui.clear();
            r.rig.mouse.addFault({SimFault::Kind::RefuseCommand, 0x05, c.writesTaken});
            r.click("Img_DPI1_6");
            // One message, the window's, in the chosen language.
            const std::string message = r.rig.session.textSlots().writeFailures[0];
            QVERIFY(message.starts_with("鼠标未接受"));
            QCOMPARE(r.rig.ui.messages(), std::vector<std::string>{message});
            QCOMPARE(r.text("lbl_DPI1Value"), c.shown);
            QCOMPARE(r.rig.session.image().copies.vendor[0x2c], r.rig.mouse.image()[0x2c]);
        }
    }

    void screenshotsOfEveryLookAndBothVariants() {
        for (Variant v : {Variant::R210B, Variant::R230B})
            for (int look = 1; look <= 3; ++look)
                for (int bar = 0; bar <= 1; ++bar) {
                    PerformanceRig r(v, bar, look);
                    QVERIFY(r.connected);
                    QCOMPARE(r.text("lbl_DPI6Value"), QStringLiteral("6400"));
                    test::saveShot(
                        r.window,
                        QStringLiteral("performance-%1-look%2-%3")
                            .arg(v == Variant::R210B ? QStringLiteral("R210B") : QStringLiteral("R230B"))
                            .arg(look)
                            .arg(bar ? QStringLiteral("sliders") : QStringLiteral("bars")));
                }
    }
};

} // namespace

QTEST_MAIN(PerformancePageTest)
#include "PerformancePageTest.moc"
