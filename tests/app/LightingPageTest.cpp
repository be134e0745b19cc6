// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "image/ImageLayout.h"
#include "lighting/ui/LightingPageView.h"
#include "shell/Skin.h"
#include "widgets/ClickLabel.h"
#include "widgets/QtImages.h"

#include <QLabel>
#include <QSlider>
#include <QtTest>

#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

using test::NoHost;

// The lighting page of a window against the simulated mouse, skinned in look 1.
struct LightingPageRig {
    explicit LightingPageRig(Variant variant) : rig(variant) {
        window.setFixedSize(1030, 662);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(1), 1, SkinBranding{}, PictureSizes::fromResources(), layout);
        const PageContext context = test::pageContext(rig, page, &window, host);
        view = std::make_unique<LightingPageView>(context, rig.session.lighting());
        connected = rig.session.connectNow();
        view->applySkin(PageSkin{&layout, QStringLiteral("DejaVu Sans"), 1});
        view->setTexts(rig.session.texts());
        window.show();
        rig.clearTrace();
    }
    std::vector<std::string> writes() {
        auto w = test::writesOf(test::commandSummary(rig.lines()));
        rig.clearTrace();
        return w;
    }

    test::SessionRig rig;
    NoHost host;
    QWidget window;
    QWidget* page = nullptr;
    SkinLayout layout;
    std::unique_ptr<LightingPageView> view;
    bool connected = false;
};

bool showsPicture(const QLabel* label, const char* picture) {
    return label->pixmap().toImage() == resourcePixmap(QString::fromLatin1(picture)).toImage();
}

using Lines = std::vector<std::string>;

} // namespace

class LightingPageTest : public QObject {
    Q_OBJECT
private slots:
    void rgbPageWritesModeSpeedAndPickedColour() {
        LightingPageRig r(Variant::R230B); // RGB mode 4, modes 0..5
        QVERIFY(r.connected);
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        QCOMPARE(r.view->modeLabel(4)->text(), QStringLiteral("Fixed Color"));
        QVERIFY(r.view->modeLabel(6)->isVisible());
        QVERIFY(!r.view->modeLabel(7)->isVisible());
        QVERIFY(showsPicture(r.view->modePicture(5), "RdS_E"));
        QVERIFY2(!r.view->brightnessOption(true)->isVisible(), "no MCU LED controls for RGB");

        QTest::mouseClick(r.view->modeLabel(3), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 a5 02 00 00 01"}));
        QVERIFY(showsPicture(r.view->modePicture(3), "RdS_E"));
        QVERIFY(showsPicture(r.view->modePicture(5), "RdS_D"));
        QVERIFY2(r.view->preview()->running(), "breath in turn moves");

        // The slider snaps to the nearest stop when let go: 870 is level 10, step time 5.
        r.view->speedSlider()->setValue(870);
        emit r.view->speedSlider()->sliderReleased();
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 38 05 00 00 01", "set 40 05 00 38 05 00 00 01"}));
        QCOMPARE(r.view->speedSlider()->value(), 900);

        r.view->chooseColour = [](const QColor& initial) -> std::optional<QColor> {
            if (initial != QColor(0, 0xFF, 0)) return std::nullopt; // colour 2 of the R230B image
            return QColor(0x12, 0x34, 0x56);
        };
        QTest::mouseClick(r.view->colourLabel(2), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 3c 12 00 00 01", "set 40 05 00 3d 34 00 00 01",
                                    "set 40 05 00 3e 56 00 00 01", "set 40 05 00 3c 12 34 56 03"}));
        QCOMPARE(r.view->swatch(2)->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));

        // Fixed colour is steady: the preview draws once and runs no timer; hidden, nothing runs.
        QTest::mouseClick(r.view->modePicture(4), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 a5 03 00 00 01"}));
        QVERIFY(!r.view->preview()->running());
        QCOMPARE(r.view->preview()->shownColour(), QColor(0xFF, 0, 0));
        QTest::mouseClick(r.view->modePicture(2), Qt::LeftButton);
        QVERIFY(r.view->preview()->running());
        r.page->hide();
        QVERIFY(!r.view->preview()->running());
        r.page->show();
        QVERIFY(r.view->preview()->running());
    }

    void mcuPageWritesItsStepAndBrightness() {
        LightingPageRig r(Variant::R210B); // MCULED mode 2, step 1, full, count code 3
        QVERIFY(r.connected);
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        QVERIFY(r.view->modeLabel(7)->isVisible());
        QCOMPARE(r.view->modeLabel(7)->text(), QStringLiteral("Off"));
        QVERIFY(!r.view->speedSlider()->isVisible());
        QVERIFY(r.view->brightnessOption(false)->isVisible());

        QTest::mouseClick(r.view->brightnessOption(false), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 07 03 f0 00 10 00 00 +3", "set 40 01 07 c4 01 00 00 00",
                                    "set 40 01 07 c5 03 00 00 00"}));
        QTest::mouseClick(r.view->mcuStep(8), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 07 03 f0 00 10 00 00 +3", "set 40 01 07 c4 00 00 00 00",
                                    "set 40 01 07 c5 03 00 00 00"}));
        QCOMPARE(r.rig.mouse.image()[1023], 0x59); // (0 + 3) XOR 0x5A
        QTest::mouseClick(r.view->modeLabel(7), Qt::LeftButton);
        QCOMPARE(r.writes(), (Lines{"set 40 05 00 a5 87 00 00 01"}));
        QVERIFY2(!r.view->preview()->running(), "off");
    }

    // Sync LEDs have no colour table: its swatches go, and the numbers under them with them.
    void syncLedsShowNoColourTableNorItsNumbers() {
        LightingPageRig r(Variant::R230B);
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        auto* number3 = r.window.findChild<QLabel*>(QStringLiteral("lbl_ColNum3"));
        QVERIFY(number3 && number3->isVisible());
        QCOMPARE(number3->text(), QStringLiteral("3"));
        auto& copies = r.rig.session.image().copies;
        copies.user[user::kLedType] = static_cast<std::uint8_t>(0x40 | (copies.user[user::kLedType] & 0x0F));
        r.rig.session.reloadEditors();
        r.view->refresh();
        for (int n = 1; n <= 10; ++n) {
            QVERIFY(!r.view->swatch(n)->isVisible());
            QVERIFY(!r.window.findChild<QLabel*>(QStringLiteral("lbl_ColNum%1").arg(n))->isVisible());
        }
    }

    // A click on the track moves the knob a step: that step is written at once (a knob that moved has
    // written), and an arrow key does the same.
    void aSpeedStepFromTheTrackOrTheKeyboardIsWritten() {
        LightingPageRig r(Variant::R210B); // MCU LEDs, step segment 7 of 8
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        QSlider* mcu = r.window.findChild<QSlider*>(QStringLiteral("slider_MCULED_Speed"));
        const int before = mcu->value();
        mcu->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(mcu->value(), before - 100);
        QCOMPARE(r.rig.session.lighting().mcuStepSegment(), before / 100);
        QCOMPARE(r.writes().size(), std::size_t{3});
        mcu->setFocus();
        QTest::keyClick(mcu, Qt::Key_Right);
        QCOMPARE(r.rig.session.lighting().mcuStepSegment(), before / 100 + 1);
        QCOMPARE(r.writes().size(), std::size_t{3});
    }
};

QTEST_MAIN(LightingPageTest)
#include "LightingPageTest.moc"
