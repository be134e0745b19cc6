// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "fire/ui/FireRecorderPanel.h"
#include "fire/ui/GunPageView.h"
#include "shell/Skin.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

const QString kFont = QStringLiteral("DejaVu Sans");

struct RecordingHost final : PageHost {
    void rollingLabelEntered(QLabel*) override {}
    void rollingLabelLeft(QLabel*) override {}
    void showPage(Page page) override { pagesShown.push_back(page); }
    std::vector<Page> pagesShown;
};

// The gun page of a window against the simulated mouse, on a skin pass of one look, the image read.
struct GunRig {
    explicit GunRig(int look = 1) : rig(Variant::R210B, test::SessionRig::bothVariants()) {
        window.setFixedSize(1030, 662);
        auto* base = new QLabel(&window);
        base->setPixmap(resourcePixmap(QStringLiteral("L%1_BackGround").arg(look)));
        base->setGeometry(0, 0, 1030, 662);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(look), look, SkinBranding{0, 0, 1}, PictureSizes::fromResources(), layout);
        if (const Placement* p = layout.find("Img_P6")) {
            auto* picture = new QLabel(page);
            picture->setPixmap(resourcePixmap(QString::fromStdString(p->picture)));
            picture->setGeometry(p->x, p->y, p->width, p->height);
        }
        connected = rig.session.connectNow();
        view = std::make_unique<GunPageView>(test::pageContext(rig, page, &window, host), rig.session.fire(),
                                             rig.session.assignments());
        view->applySkin(PageSkin{&layout, kFont, look});
        view->setTexts(rig.session.texts());
        view->chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
            offered = initial;
            return QColor(1, 2, 3);
        };
        window.show();
        view->shown(Page::Gun);
    }
    template <typename W = QWidget> W* get(const std::string& name) {
        auto* w = qobject_cast<W*>(view->control(name));
        if (!w) qFatal("no control %s", name.c_str());
        return w;
    }
    void click(const std::string& name) { QTest::mouseClick(get(name), Qt::LeftButton); }
    void type(const std::string& name, const QString& text) {
        auto* e = get<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    QString field(const std::string& name) { return get<QLineEdit>(name)->text(); }
    std::vector<std::string> writes() { return test::writesOf(test::commandSummary(rig.lines())); }

    test::SessionRig rig;
    RecordingHost host;
    QWidget window;
    QWidget* page = nullptr;
    SkinLayout layout;
    std::unique_ptr<GunPageView> view;
    QColor offered;
    bool connected = false;
};

class GunPageTest : public QObject {
    Q_OBJECT
private slots:
    void choosingAGunShowsItsStages() {
        GunRig r;
        QVERIFY(r.connected);
        QVERIFY(r.get<ImageButton>("Btn_Fire1")->isMarked());
        QCOMPARE(r.get<QLabel>("Btn_Fire1")->text(), QStringLiteral("AKM Fire"));
        QCOMPARE(r.field("Edt_FireY1"), QStringLiteral("1"));
        QCOMPARE(r.field("Edt_FireTime1"), QStringLiteral("40"));
        QVERIFY(!r.get("Edt_FireCnt2")->isVisible());
        QVERIFY(!r.get("Img_GunMode1")->isVisible());

        r.click("Btn_Fire6");
        QVERIFY(r.get<ImageButton>("Btn_Fire6")->isMarked());
        QVERIFY(!r.get<ImageButton>("Btn_Fire1")->isMarked());
        QVERIFY(r.get("Edt_FireX2Offset")->isVisible());
        QVERIFY(!r.get("Edt_FireCnt3")->isVisible());
        QVERIFY(r.get("Img_GunMode2")->isVisible());
        QVERIFY(!r.get("Img_GunMode3")->isVisible());
        QCOMPARE(r.field("Edt_FireY2"), QStringLiteral("7"));

        r.click("Btn_Fire7");
        for (const char* name : {"Edt_FireCnt3", "IB_FireColor3", "Img_GunMode3", "Img_GunMode5"})
            QVERIFY2(r.get(name)->isVisible(), name);
        QVERIFY(!r.get("Img_GunMode1")->isVisible());
        test::saveShot(r.window, QStringLiteral("gun-page-gun7"));
    }

    void fieldsClampAsTyped() {
        GunRig r;
        r.type("Edt_FireX1Offset", QStringLiteral("50"));
        r.type("Edt_FireX1", QStringLiteral("100"));
        QCOMPARE(r.field("Edt_FireX1"), QStringLiteral("77"));
        r.type("Edt_FireY1", QStringLiteral("-"));
        QCOMPARE(r.field("Edt_FireY1"), QStringLiteral("-"));
        r.type("Edt_FireTime1", QStringLiteral("70000"));
        QCOMPARE(r.field("Edt_FireTime1"), QStringLiteral("65535"));
        QVERIFY(r.writes().empty());
    }

    void confirmOnProfileTwoAssignsTheGunAndWritesWithTheBusyWindow() {
        GunRig r;
        r.rig.session.selectProfile(2);
        r.rig.session.assignments().openFromMainPage(4);
        r.view->shown(Page::Gun);
        r.rig.clearTrace();
        const auto callsBefore = r.rig.ui.calls().size();

        r.click("Btn_Fire7");
        r.type("Edt_FireY1", QStringLiteral("12"));
        r.click("Img_FireSelLeft");
        r.click("IB_FireColor1");
        QCOMPARE(r.offered, QColor(0x7F, 0xFF, 0x7F));
        r.click("Btn_FireConfirm");

        QCOMPARE(profileCode(r.rig.session.image().copies, 2, 4), (CodeBytes{0x0B, 0x17, 0x03, 0x00}));
        QCOMPARE(r.rig.session.assignments().tableCaption(2, 4), std::string("7.62 Fire"));
        QCOMPARE(r.host.pagesShown, std::vector<Page>{Page::Profile2});
        const auto w = r.writes();
        QCOMPARE(w.size(), std::size_t{25});
        // Colour slot 8 belongs to fire macro 8, the first stage of gun 7.
        QCOMPARE(w[7], std::string("set 40 05 00 4e 01 02 03 03"));
        // The profiles, the fire-key block, the fire-macro area, then the current profile reloaded.
        QCOMPARE(w[20], std::string("set 40 07 00 c0 00 93 00 00 +21"));
        QCOMPARE(w[21], std::string("set 40 07 01 e4 00 0c 00 00 +2"));
        QCOMPARE(w[22], std::string("set 40 07 07 10 00 f0 00 00 +35"));
        QCOMPARE(w[23], std::string("set 40 05 00 a4 0f 00 00 01"));
        // Fire macro 8 (gun 7, stage 1) took Y 12 at its Y position, on the mouse too.
        QCOMPARE(int(r.rig.mouse.image()[0x710 + 7 * 24 + 8]), 12);
        const auto calls = r.rig.ui.calls();
        QVERIFY(std::find(calls.begin() + static_cast<long>(callsBefore), calls.end(), "busy+") !=
                calls.end());
    }

    void confirmOnProfileOneAssignsNothingAndCancelWritesNothing() {
        GunRig r;
        r.rig.session.assignments().openFromMainPage(4);
        const CodeBytes before = profileCode(r.rig.session.image().copies, 1, 4);
        r.click("Btn_Fire2");
        r.click("Btn_FireConfirm");
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 4), before);
        QVERIFY(!r.writes().empty());

        r.view->shown(Page::Gun);
        r.rig.clearTrace();
        r.type("Edt_FireY1", QStringLiteral("9"));
        r.click("Btn_FireExit");
        QVERIFY(r.writes().empty());
        QCOMPARE(r.host.pagesShown, (std::vector<Page>{Page::Profile1, Page::Profile1}));
        r.view->shown(Page::Gun);
        QCOMPARE(r.field("Edt_FireY1"), QStringLiteral("1"));
    }

    void hiddenRecorderRecordsLeftButtonTimingIntoTheChosenMacro() {
        GunRig r;
        FireRecorderPanel* rec = r.view->recorder();
        QVERIFY(rec->isHidden());
        int asked = 0;
        r.view->askAccessCode = [&asked]() -> std::optional<QString> {
            ++asked;
            return QStringLiteral("MbrQelnVd");
        };
        for (int i = 0; i < 4; ++i) r.view->backgroundDoubleClicked();
        QVERIFY(rec->isHidden());
        r.view->backgroundDoubleClicked();
        QCOMPARE(asked, 1);
        QVERIFY(r.view->hiddenMode());
        QVERIFY(rec->isVisible());
        QCOMPARE(rec->macroList()->count(), 10);

        auto* capture = new ScriptedInputCapture;
        rec->setCaptureFactory([capture](std::string&) { return std::unique_ptr<InputCapture>(capture); });
        rec->macroList()->setCurrentRow(0);
        QVERIFY(rec->lineList()->count() > 0);
        QTest::mouseClick(rec->recordButton(), Qt::LeftButton);
        QVERIFY(rec->recording());
        QCOMPARE(rec->recordButton()->text(), QStringLiteral("Stop"));
        InputEvent down, up;
        down.kind = InputEvent::Kind::ButtonDown;
        down.timeMs = 1000;
        up.kind = InputEvent::Kind::ButtonUp;
        up.timeMs = 1040;
        capture->play({down, up});
        QCoreApplication::processEvents();
        QTest::mouseClick(rec->recordButton(), Qt::LeftButton);
        QVERIFY(!rec->recording());
        const auto& body = r.rig.session.fire().body(0);
        QCOMPARE(std::vector<std::uint8_t>(body.begin(), body.begin() + 7),
                 (std::vector<std::uint8_t>{0xA1, 0xFE, 0x00, 0x28, 0x21, 0x00, 0x00}));
        QCOMPARE(rec->lineList()->item(1)->text(), QStringLiteral("0 40"));
        // The stage shows the recorded body, which has no movement.
        QCOMPARE(r.field("Edt_FireY1"), QStringLiteral("0"));
        test::saveShot(r.window, QStringLiteral("gun-page-recorder"));

        // A delay inserted with 0 becomes 1 ms.
        rec->lineList()->setCurrentRow(0);
        QTest::mouseClick(rec->insertButton(), Qt::LeftButton);
        QVERIFY(!rec->insertBox()->isHidden());
        QVERIFY(!rec->macroList()->isEnabled());
        rec->insertChoice()->setCurrentIndex(1);
        rec->insertValue()->setText(QStringLiteral("0"));
        QTest::mouseClick(rec->insertOk(), Qt::LeftButton);
        QCOMPARE(rec->lineList()->item(1)->text(), QStringLiteral("0 1"));

        // Deleting the press takes its release along; nothing reached the mouse before confirm.
        rec->lineList()->setCurrentRow(0);
        QTest::mouseClick(rec->deleteButton(), Qt::LeftButton);
        QCOMPARE(rec->lineList()->count(), 2);
        QVERIFY(r.writes().empty());

        r.view->backgroundDoubleClicked();
        QVERIFY(!r.view->hiddenMode());
        QVERIFY(rec->isHidden());
    }
};

} // namespace

QTEST_MAIN(GunPageTest)
#include "GunPageTest.moc"
