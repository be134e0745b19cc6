// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "engineering/ui/EngineeringPageView.h"
#include "engineering/ui/UpdatePageView.h"
#include "lighting/ui/LightingEngineeringPanel.h"
#include "shell/EngineeringCaptions.h"
#include "shell/Skin.h"
#include "support/TempDir.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

using test::NoHost;

// A page of a window against the simulated mouse, skinned in look 1.
template <typename View> struct PageRig {
    explicit PageRig(Variant variant = Variant::R210B) : rig(variant) {
        window.setFixedSize(1256, 680);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1256, 680);
        applySkin(loadSkin(1), 1, SkinBranding{}, PictureSizes::fromResources(), layout);
        context = test::pageContext(rig, page, &window, host);
    }
    void start(std::unique_ptr<View> built) {
        view = std::move(built);
        connected = rig.session.connectNow();
        view->applySkin(PageSkin{&layout, QStringLiteral("DejaVu Sans"), 1});
        view->setTexts(rig.session.texts());
        view->refresh();
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
    PageContext context;
    std::unique_ptr<View> view;
    bool connected = false;
};

std::unique_ptr<EngineeringPageView> engineeringPage(PageRig<EngineeringPageView>& r) {
    return std::make_unique<EngineeringPageView>(
        r.context, r.rig.session.engineering(), std::make_unique<ImageOperations>(r.rig.session, r.rig.ui),
        [](std::uint16_t) { return std::optional<std::uint8_t>(0x5A); });
}

class EngineeringPageTest : public QObject {
    Q_OBJECT
private slots:
    void fifthLogoDoubleClickOpensTheDialogAndTheNextHidesAgain() {
        PageRig<EngineeringPageView> r;
        r.start(engineeringPage(r));
        QVERIFY(r.connected);
        int asked = 0;
        r.view->setPasswordPrompt([&asked]() -> std::optional<std::string> {
            ++asked;
            return "MbrQelnVdWKP";
        });
        auto panel = std::make_unique<LightingEngineeringPanel>(r.context, r.rig.session.lighting());
        QComboBox* ledType = panel->typeList();
        r.view->placePanel("ts_Operator", std::move(panel));
        QVERIFY(!ledType->isEnabled());
        QTabWidget* tabs = r.view->tabs();
        QVERIFY(tabs->isTabVisible(0));
        QVERIFY(!tabs->isTabVisible(2));
        for (int i = 0; i < 4; ++i) QTest::mouseDClick(r.view->logo(), Qt::LeftButton);
        QCOMPARE(asked, 0);
        QVERIFY(!r.view->factoryButton(13)->isVisible());
        QTest::mouseDClick(r.view->logo(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(tabs->isTabVisible(1) && tabs->isTabVisible(2));
        QVERIFY(r.view->factoryButton(13)->isVisible());
        QVERIFY(ledType->isEnabled()); // the LED type is the full mode's
        QCOMPARE(r.view->factoryButton(13)->text(),
                 QString::fromUtf8(std::string(engineeringCaption(13)).c_str()));
        QTest::mouseDClick(r.view->logo(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(!tabs->isTabVisible(2));
        QVERIFY(!r.view->factoryButton(13)->isVisible());
        QVERIFY(!ledType->isEnabled());
        QVERIFY(r.view->tabs()->isTabVisible(0));
        QVERIFY(r.writes().empty());
    }

    void typingSendsTheFieldsWrites() {
        PageRig<EngineeringPageView> r;
        r.start(engineeringPage(r));
        QLineEdit* vid = r.view->vendorIdEdit();
        QCOMPARE(vid->text(), QStringLiteral("3A7E"));
        vid->setFocus();
        vid->selectAll();
        QTest::keyClicks(vid, QStringLiteral("12g3")); // 'g' never reaches the field
        QCOMPARE(vid->text(), QStringLiteral("123"));
        QVERIFY(r.writes().empty());
        QTest::keyClicks(vid, QStringLiteral("4"));
        QCOMPARE(r.writes(), (std::vector<std::string>{"set 40 05 00 00 12 34 00 02"}));
        QCOMPARE(r.rig.ui.messages().size(), std::size_t{1}); // the udev line, once

        QComboBox* prescale = r.view->optionList("cb_CPIPrescaleSel");
        QVERIFY(prescale);
        prescale->setCurrentIndex(3);
        emit prescale->activated(3); // "1.33x": bits 5-4 of byte 6 cleared
        QCOMPARE(r.rig.mouse.image()[6] & 0x30, 0);
        QCOMPARE(r.writes().size(), std::size_t{1});
    }
};

class UpdatePageTest : public QObject {
    Q_OBJECT
private slots:
    void loadProgramAndTheWrongSize() {
        PageRig<UpdatePageView> r(Variant::R210B);
        r.start(std::make_unique<UpdatePageView>(r.context,
                                                 std::make_unique<ImageOperations>(r.rig.session, r.rig.ui)));
        test::ScratchDir dir;
        const std::string good = dir.file("r210.bin"), other = dir.file("r230.bin");
        test::putFile(good, std::vector<std::uint8_t>(16 + 784, 0x02));
        test::putFile(other, std::vector<std::uint8_t>(16 + 512, 0x02));
        std::string chosen = other;
        r.view->setFileChooser([&chosen] { return std::optional<std::string>(chosen); });

        QVERIFY(!r.view->programButton()->isEnabled());
        QTest::mouseClick(r.view->loadButton(), Qt::LeftButton);
        QCOMPARE(r.rig.ui.messages().size(), std::size_t{1});
        QVERIFY(r.rig.ui.messages()[0].find("a patch for an R230B mouse") != std::string::npos);
        QVERIFY(!r.view->operations().binLoaded());
        QVERIFY(r.rig.lines().empty());

        chosen = good;
        QTest::mouseClick(r.view->loadButton(), Qt::LeftButton);
        QVERIFY(r.view->operations().binLoaded());
        QVERIFY(r.view->programButton()->isEnabled());
        QVERIFY(r.view->pathLabel()->toolTip() == QString::fromStdString(good));
        // Opening the page again forgets the file.
        r.view->shown(Page::Update);
        QVERIFY(!r.view->operations().binLoaded());
        QTest::mouseClick(r.view->programButton(), Qt::LeftButton);
        QVERIFY(r.rig.lines().empty());

        QTest::mouseClick(r.view->loadButton(), Qt::LeftButton);
        r.view->program();
        const auto w = r.writes();
        QVERIFY(w.size() >= 3);
        QCOMPARE(w[0], std::string("set 40 07 03 f0 00 10 00 00 +3"));
        QCOMPARE(r.rig.mouse.restarts(), 1);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    EngineeringPageTest engineering;
    failures += QTest::qExec(&engineering, argc, argv);
    UpdatePageTest update;
    failures += QTest::qExec(&update, argc, argv);
    return failures;
}

#include "EngineeringPageTest.moc"
