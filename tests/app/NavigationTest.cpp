#include "app/WindowRig.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>

using krm::Page;
using krm::gui::ImageButton;
using krm::test::WindowRig;
using Look = ImageButton::Look;

namespace {

void hover(QWidget* w) {
    QEnterEvent e(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(w, &e);
}

void unhover(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT

    static ImageButton* button(WindowRig& rig, const char* name) {
        auto* b = rig.window.findChild<ImageButton*>(QString::fromLatin1(name));
        if (!b) qFatal("no button %s", name);
        return b;
    }

private slots:
    void hoverShowsTheHoveredPictureAndLeavingRestoresTheMarks() {
        WindowRig rig;
        rig.window.devTimerTimer();
        struct Case {
            const char* hovered;
            Look whileHovered;
            Look afterLeaving;
        } cases[] = {
            {"Btn_Switch_1", Look::Hovered, Look::Normal}, // profile 2 while profile 1 is current
            {"Btn_Main_1", Look::Hovered, Look::Pressed},  // the current page's own button
            {"Btn_Lang1_1", Look::Hovered, Look::Pressed}, // the current language
            {"Btn_Lang2_1", Look::Hovered, Look::Normal},  {"Btn_Confirm1_1", Look::Hovered, Look::Normal},
            {"Btn_Exit_1", Look::Hovered, Look::Normal},
        };
        for (const Case& c : cases) {
            ImageButton* b = button(rig, c.hovered);
            hover(b);
            QCOMPARE(b->look(), c.whileHovered);
            unhover(b);
            QCOMPARE(b->look(), c.afterLeaving);
            QCOMPARE(button(rig, "Btn_Main_1")->look(), Look::Pressed);
        }
    }

    void pageButtonsWithoutAMouseSayFindingTheDevice() {
        WindowRig rig;
        QTest::mouseClick(button(rig, "Btn_Adv_1"), Qt::LeftButton);
        QTest::mouseClick(button(rig, "Btn_Confirm2_1"), Qt::LeftButton);
        QCOMPARE(rig.messages, QStringList(2, QStringLiteral("Finding the specified device")));
        QCOMPARE(rig.window.shownPage(), Page::Profile1);
        QVERIFY(!button(rig, "Btn_Adv_1")->isMarked());
        QVERIFY(rig.commands().empty());
    }

    void pagesShowTheirPictureAndTheEngineeringPageWidensTheWindow() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QTest::mouseClick(button(rig, "Btn_Macro_1"), Qt::LeftButton);
        QCOMPARE(rig.window.shownPage(), Page::Macro);
        QVERIFY(button(rig, "Btn_Macro_1")->isMarked());
        auto* picture = rig.window.findChild<QLabel*>(QStringLiteral("Img_P4"));
        QCOMPARE(picture->pixmap().cacheKey(),
                 krm::gui::resourcePixmap(QStringLiteral("L1_Back4")).cacheKey());
        QVERIFY(!picture->parentWidget()->isHidden());
        QVERIFY(rig.window.findChild<QWidget*>(QStringLiteral("gbPage1"))->isHidden());

        rig.window.pageButtonClicked(Page::Engineering);
        QCOMPARE(rig.window.size(), QSize(1256, 680));
        QVERIFY(rig.window.mask().isEmpty());
        QTest::mouseClick(button(rig, "Btn_Breath_1"), Qt::LeftButton);
        QCOMPARE(rig.window.size(), QSize(1030, 662));
        QVERIFY(!rig.window.mask().isEmpty());
    }

    void theMouseProfileButtonSwitchesTheWindowToThatProfile() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QTest::mouseClick(button(rig, "Btn_Macro_1"), Qt::LeftButton);
        auto image = rig.mouse.image();
        image[0xA4] = 0x21; // colour 2, profile 2: the button steps it to profile 3
        rig.mouse.setImage(image);
        rig.mouse.raiseButtonEvent(0x08);
        rig.mouse.raiseButtonEvent(0x00);
        QTRY_COMPARE(rig.window.shownPage(), Page::Profile3);
        QVERIFY(button(rig, "Btn_Fixed_1")->isMarked());
        QVERIFY(!button(rig, "Btn_Macro_1")->isMarked());
        QCOMPARE(rig.session.currentProfile(), 3);
    }

    void languageButtonsRerunTheWholePass() {
        WindowRig rig;
        QTest::mouseClick(button(rig, "Btn_Lang3_1"), Qt::LeftButton);
        QCOMPARE(rig.session.language(), 3);
        QVERIFY(button(rig, "Btn_Lang3_1")->isMarked());
        QVERIFY(!button(rig, "Btn_Lang1_1")->isMarked());
        // Captions of table 3, the look-3 background, the window as it was.
        QCOMPARE(button(rig, "Btn_Lang1_1")->text(), QStringLiteral("English"));
        QCOMPARE(button(rig, "Btn_Lang2_1")->text(), QStringLiteral("简体中文"));
        QCOMPARE(button(rig, "Btn_Lang3_1")->text(), QStringLiteral("English (alt.)"));
        auto* base = rig.window.findChild<QLabel*>(QStringLiteral("Img_Base_1"));
        QCOMPARE(base->pixmap().cacheKey(),
                 krm::gui::resourcePixmap(QStringLiteral("L3_BackGround")).cacheKey());
        QCOMPARE(rig.window.shownPage(), Page::Profile1);
        QVERIFY(rig.window.lastSkinPassNs() > 0);

        // Messages follow the language.
        QTest::mouseClick(button(rig, "Btn_Update_1"), Qt::LeftButton);
        QCOMPARE(rig.messages.last(), QStringLiteral("Not find the specified device"));
    }

    void everyTableIsDrawnInAFontOfItsScriptAndItsCaptionsFit() {
        WindowRig rig;
        struct Case {
            const char* button;
            QFontDatabase::WritingSystem script;
        } cases[] = {
            {"Btn_Lang1_1", QFontDatabase::Latin},
            {"Btn_Lang2_1", QFontDatabase::SimplifiedChinese},
            {"Btn_Lang3_1", QFontDatabase::Latin},
        };
        for (const Case& c : cases) {
            QTest::mouseClick(button(rig, c.button), Qt::LeftButton);
            // The table's FontName is an installed font with the glyphs of the table's texts.
            const QString family = rig.window.fontFamily();
            QVERIFY2(QFontDatabase::hasFamily(family), qPrintable(family));
            QVERIFY2(QFontDatabase::writingSystems(family).contains(c.script), qPrintable(family));
            QCOMPARE(QFontInfo(button(rig, "Btn_Main_1")->font()).family(), family);
            // Every caption of the window's buttons fits inside its label.
            for (const ImageButton* b : rig.window.findChildren<ImageButton*>()) {
                if (b->text().isEmpty() || b->property("skinHidden").toBool()) continue;
                const int needed = b->fontMetrics().horizontalAdvance(b->text());
                QVERIFY2(needed <= b->contentsRect().width(),
                         qPrintable(QStringLiteral("%1: %2 needs %3 > %4")
                                        .arg(b->objectName(), b->text())
                                        .arg(needed)
                                        .arg(b->contentsRect().width())));
            }
        }
    }

    void captionsRollUnderThePointerWhenBrandedOn() {
        for (bool rolling : {true, false}) {
            krm::Branding branding = WindowRig::bothVariants();
            branding.textRolling = rolling;
            WindowRig rig(branding);
            ImageButton* adv = button(rig, "Btn_Adv_1");
            hover(adv);
            QCOMPARE(rig.window.labelRun().isActive(), rolling);
            rig.window.labelRunTimer();
            rig.window.labelRunTimer();
            QCOMPARE(adv->text(),
                     rolling ? QStringLiteral("rformance    Pe") : QStringLiteral("Performance"));
            unhover(adv);
            QVERIFY(!rig.window.labelRun().isActive());
            QCOMPARE(adv->text(), QStringLiteral("Performance"));
        }
    }
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
