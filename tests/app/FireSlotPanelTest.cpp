// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "fire/ui/FireSlotPanel.h"
#include "shell/Skin.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

using test::NoHost;

struct SlotRig {
    SlotRig() {
        window.setFixedSize(1030, 662);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(1), 1, SkinBranding{0, 0, 1}, PictureSizes::fromResources(), layout);
        connected = rig.session.connectNow();
        panel =
            std::make_unique<FireSlotPanel>(test::pageContext(rig, page, &window, host), rig.session.fire());
        panel->applySkin(PageSkin{&layout, QStringLiteral("DejaVu Sans"), 1});
        panel->setTexts(rig.session.texts());
        window.show();
        rig.clearTrace();
    }
    QLineEdit* edit(const std::string& name) { return qobject_cast<QLineEdit*>(panel->control(name)); }
    void type(const std::string& name, const QString& text) {
        auto* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    std::vector<std::string> writes() { return test::writesOf(test::commandSummary(rig.lines())); }

    test::SessionRig rig;
    NoHost host;
    QWidget window;
    QWidget* page = nullptr;
    SkinLayout layout;
    std::unique_ptr<FireSlotPanel> panel;
    bool connected = false;
};

class FireSlotPanelTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsClampWhileTypingAndWriteWhenLeft() {
        SlotRig r;
        QVERIFY(r.connected);
        QCOMPARE(r.edit("Edt_Repeat1")->text(), QStringLiteral("3"));
        r.type("Edt_Repeat1", QStringLiteral("17"));
        QCOMPARE(r.edit("Edt_Repeat1")->text(), QStringLiteral("16"));
        r.type("Edt_DelayTime1", QStringLiteral("5000"));
        QCOMPARE(r.edit("Edt_DelayTime1")->text(), QStringLiteral("4094"));
        QVERIFY(r.writes().empty());
        QTest::keyClick(r.edit("Edt_DelayTime1"), Qt::Key_Return);
        const std::vector<std::string> slotWrite{
            "set 40 07 00 c0 00 93 00 00 +21", "set 40 07 01 e4 00 0c 00 00 +2",
            "set 40 05 00 a4 0f 00 00 01", "set 40 05 00 a4 00 00 00 01"};
        QCOMPARE(r.writes(), slotWrite);
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 3), (CodeBytes{0x06, 0x9F, 0x0F, 0xFE}));

        r.rig.clearTrace();
        r.type("Edt_Repeat2", QStringLiteral("0"));
        QCOMPARE(r.edit("Edt_Repeat2")->text(), QStringLiteral("0"));
        QTest::keyClick(r.edit("Edt_Repeat2"), Qt::Key_Return);
        QCOMPARE(r.edit("Edt_Repeat2")->text(), QStringLiteral("1"));
        QCOMPARE(r.rig.session.fire().slot(2).count, 1);
        QCOMPARE(r.writes(), slotWrite);
    }

    // Leaving a value for another is two keys: the emptied box stays empty until the next key.
    void anEmptiedRepeatBoxWaitsForTheNextKey() {
        SlotRig r;
        auto* repeat = r.edit("Edt_Repeat1");
        repeat->setFocus();
        repeat->end(false);
        QTest::keyClick(repeat, Qt::Key_Backspace);
        QCOMPARE(repeat->text(), QString());
        QTest::keyClick(repeat, Qt::Key_3);
        QCOMPARE(repeat->text(), QStringLiteral("3"));
        QTest::keyClick(repeat, Qt::Key_Return);
        QCOMPARE(r.rig.session.fire().slot(1).count, 3);
        // Left empty, it is the smallest repeat.
        repeat->selectAll();
        QTest::keyClick(repeat, Qt::Key_Backspace);
        QTest::keyClick(repeat, Qt::Key_Return);
        QCOMPARE(repeat->text(), QStringLiteral("1"));
    }

    void continueSwitchWritesAtItsClick() {
        SlotRig r;
        QTest::mouseClick(r.panel->control("lbl_Fire1Continue"), Qt::LeftButton);
        QVERIFY(!r.rig.session.fire().slot(1).continueBox);
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 3), (CodeBytes{0x06, 0x12, 0x00, 0x3C}));
        QCOMPARE(r.writes().size(), std::size_t{4});
    }
};

} // namespace

QTEST_MAIN(FireSlotPanelTest)
#include "FireSlotPanelTest.moc"
