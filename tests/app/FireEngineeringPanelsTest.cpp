// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"
#include "support/TempDir.h"

#include "fire/ui/FireEngineeringPanels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

using test::NoHost;

template <typename Panel> struct PanelRig {
    PanelRig() {
        window.resize(1030, 700);
        connected = rig.session.connectNow();
        panel = std::make_unique<Panel>(test::pageContext(rig, &window, &window, host), rig.session.fire());
        panel->setTexts(rig.session.texts());
        panel->refresh();
        window.show();
        rig.clearTrace();
    }
    std::vector<std::string> writes() { return test::writesOf(test::commandSummary(rig.lines())); }

    test::SessionRig rig;
    NoHost host;
    QWidget window;
    std::unique_ptr<Panel> panel;
    bool connected = false;
};

class FireEngineeringPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void fireGroupTunesSlotsAndTheTrigger() {
        PanelRig<FireModePanel> r;
        QVERIFY(r.connected);
        QCOMPARE(r.panel->count(1)->currentText(), QStringLiteral("3"));
        QCOMPARE(r.panel->trigger()->itemText(1), QStringLiteral("Press 'Middle Key'"));
        r.panel->time(2)->setFocus();
        r.panel->time(2)->selectAll();
        QTest::keyClicks(r.panel->time(2), QStringLiteral("5000"));
        QCOMPARE(r.panel->time(2)->text(), QStringLiteral("4094"));
        QTest::keyClick(r.panel->time(2), Qt::Key_Return);
        QCOMPARE(r.rig.session.fire().slot(2).interval, 4094);
        QCOMPARE(r.writes().size(), std::size_t{4});

        r.rig.clearTrace();
        r.panel->trigger()->setCurrentIndex(1);
        emit r.panel->trigger()->activated(1);
        QCOMPARE(r.rig.session.editorState().gameModeTrigger, 1);
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 7), (CodeBytes{0x01, 0x04, 0x00, 0x08}));
        QCOMPARE(r.writes().size(), std::size_t{55 + 3});
    }

    void gunTabWritesOffsetsAtOnceAndKeepsTheGunKeyList() {
        PanelRig<FireGunTuningPanel> r;
        test::ScratchDir dir;
        QVERIFY(r.rig.session.fire().gunKeyList().open(dir.file("Fire Macro.bin")));
        QLineEdit* x3 = r.panel->offset(3, false);
        x3->setFocus();
        x3->selectAll();
        QTest::keyClicks(x3, QStringLiteral("200"));
        QCOMPARE(x3->text(), QStringLiteral("127"));
        QCOMPARE(r.writes().back(), std::string("set 40 05 00 ad 7f 00 00 01"));

        r.panel->startIndex()->setCurrentIndex(5);
        r.panel->number()->setCurrentIndex(1);
        r.panel->keepLeft()->setCurrentIndex(1);
        for (int i = 0; i < 3; ++i) QTest::mouseClick(r.panel->addButton(), Qt::LeftButton);
        QCOMPARE(r.panel->gunKeyList()->count(), 3);
        QCOMPARE(r.rig.session.fire().gunKeys().entries[0], (CodeBytes{0x0B, 0x15, 0x02, 0x00}));
        r.panel->gunKeyList()->setCurrentRow(1);
        QTest::mouseClick(r.panel->deleteButton(), Qt::LeftButton);
        QCOMPARE(r.panel->gunKeyList()->count(), 2);
        QCOMPARE(r.panel->gunKeyList()->item(1)->text(), QStringLiteral("Fire Macro2"));
        QCOMPARE(r.panel->gunKeyList()->currentRow(), 0);
    }

    void gunTabSetsTheProfileSwitchOptions() {
        PanelRig<FireGunTuningPanel> r;
        auto& assignments = r.rig.session.assignments();
        assignments.openFromProfileTable(1, 7);
        r.rig.session.apply(assignments.applyDialogCode("07810000", ""));
        r.panel->refresh();
        r.rig.clearTrace();
        QCOMPARE(r.panel->switchOffset()->text(), QStringLiteral("18"));

        // A switch takes effect at once.
        QComboBox* rtz = r.panel->switchOption(0);
        rtz->setFocus();
        QTest::keyClick(rtz, Qt::Key_Down);
        QCOMPARE(r.writes().front(), std::string("set 40 07 00 c0 00 93 00 00 +21"));
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 7), (CodeBytes{0x07, 0xC1, 0x00, 0x18}));

        // The offset when the box is left: typing alone writes nothing.
        r.rig.clearTrace();
        QLineEdit* offset = r.panel->switchOffset();
        offset->setFocus();
        offset->selectAll();
        QTest::keyClicks(offset, QStringLiteral("2a"));
        QVERIFY(r.writes().empty());
        QTest::keyClick(offset, Qt::Key_Return);
        QCOMPARE(profileCode(r.rig.session.image().copies, 1, 7), (CodeBytes{0x07, 0xC1, 0x00, 0x2A}));
        QCOMPARE(offset->text(), QStringLiteral("2A"));
        // An emptied box keeps the offset.
        r.rig.clearTrace();
        offset->selectAll();
        QTest::keyClick(offset, Qt::Key_Backspace);
        QTest::keyClick(offset, Qt::Key_Return);
        QVERIFY(r.writes().empty());
        QCOMPARE(offset->text(), QStringLiteral("2A"));
    }
};

} // namespace

QTEST_MAIN(FireEngineeringPanelsTest)
#include "FireEngineeringPanelsTest.moc"
