// Details of the window a user meets at once: captions before the mouse is read, captions too long for
// their label, the message box's keys, the busy window's shape.
#include "app/WindowRig.h"
#include "buttons/ui/KeyPageView.h"
#include "device/DeviceIdTable.h"
#include "session/Session.h"
#include "widgets/BusyWindow.h"
#include "widgets/ClickLabel.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using krm::test::WindowRig;

class WindowDetailsTest : public QObject {
    Q_OBJECT

private slots:
    void keyLabelsNameNoFunctionBeforeTheMouseIsRead() {
        WindowRig rig;
        krm::gui::KeyPageView* keys = rig.window.keyPage();
        QVERIFY(keys);
        for (int n = 1; n <= 12; ++n) QCOMPARE(keys->keyLabel(n)->text(), QString());
        rig.window.devTimerTimer(); // the first presence poll reads the mouse
        QCOMPARE(keys->keyLabel(1)->text(), QStringLiteral("Left Click"));
    }

    void longCaptionsAreCutWithAnEllipsisAndShownWholeInTheirTooltip() {
        WindowRig rig;
        rig.window.devTimerTimer();
        krm::gui::KeyPageView* keys = rig.window.keyPage();
        auto& editor = rig.session.assignments();
        editor.openFromMainPage(5);
        rig.session.apply(editor.applyDialogCode("020F4700", "Ctrl+Shift+Alt+Win+Scroll Lock"));
        keys->refresh();
        krm::gui::ClickLabel* label = keys->keyLabel(5);
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QVERIFY(label->text().size() < QStringLiteral("Ctrl+Shift+Alt+Win+Scroll Lock").size());
        QCOMPARE(label->toolTip(), QStringLiteral("Ctrl+Shift+Alt+Win+Scroll Lock"));
        QCOMPARE(label->caption(), QStringLiteral("Ctrl+Shift+Alt+Win+Scroll Lock"));

        // A caption that fits shows whole, without a tooltip.
        editor.openFromMainPage(5);
        rig.session.apply(editor.applyDialogCode("02000400", "A"));
        keys->refresh();
        QCOMPARE(label->text(), QStringLiteral("A"));
        QCOMPARE(label->toolTip(), QString());

        // An empty combination has no edit text: the label shows the code's name at once.
        editor.openFromMainPage(5);
        rig.session.apply(editor.applyDialogCode("02000000", ""));
        keys->refresh();
        QVERIFY(!label->text().isEmpty());
        QCOMPARE(label->caption().toStdString(), editor.keyCaption(5));
    }

    void theMessageBoxClosesOnEnterReturnAndSpace() {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape}) {
            krm::gui::MessageBox box(nullptr, QStringLiteral("text"), QStringLiteral("DejaVu Sans"));
            box.setVisible(true);
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            QTest::keyClick(&box, key);
            QVERIFY2(!box.isVisible(), qPrintable(QKeySequence(key).toString()));
            QCOMPARE(box.result(), key == Qt::Key_Escape ? int(QDialog::Rejected) : int(QDialog::Accepted));
        }
    }

    // The udev explanation after new USB ids: the box grows to its text, within the screen, and the rule
    // line shows on one line and can be selected and copied.
    void aLongMessageGetsABoxItsSizeWithTheRuleLineWholeAndSelectable() {
        const std::string rule = krm::DeviceIdTable::udevRule({0x1234, 0x5678});
        const QString text = QString::fromStdString(krm::Session::udevMessage({0x1234, 0x5678}));
        krm::gui::MessageBox box(nullptr, text, QStringLiteral("DejaVu Sans"));
        box.setVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* label = box.findChild<QLabel*>(QStringLiteral("lbl_Message"));
        QVERIFY(label);
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "the text is cut");
        // On one line where the screen has room for it (the offscreen screen is 800 pixels wide).
        const int ruleWidth = label->fontMetrics().horizontalAdvance(QString::fromStdString(rule));
        if (ruleWidth + 100 <= box.screen()->availableGeometry().width())
            QVERIFY(ruleWidth <= label->width());
        QVERIFY(box.geometry().bottom() <= box.screen()->availableGeometry().bottom());
        QVERIFY(box.width() <= box.screen()->availableGeometry().width());
        QVERIFY(label->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
        label->setSelection(0, static_cast<int>(text.size()));
        QVERIFY(label->selectedText().contains(QString::fromStdString(rule)));
        // A short message keeps the picture's size.
        krm::gui::MessageBox small(nullptr, QStringLiteral("Waiting for the device reconnect"),
                                   QStringLiteral("DejaVu Sans"));
        QCOMPARE(small.size(), QSize(530, 200));
    }

    void theBusyWindowIsCutToItsAnimation() {
        // Without a compositor an X server shows a translucent window's clear pixels black: the window
        // is shaped to where its animation draws.
        QWidget main;
        krm::gui::BusyWindow busy(&main);
        busy.show(); // shaped as it is shown, before the desktop maps it
        const QRegion shape = busy.mask();
        QVERIFY(!shape.isEmpty());
        for (QPoint corner : {QPoint(0, 0), QPoint(busy.width() - 1, 0), QPoint(0, busy.height() - 1),
                              QPoint(busy.width() - 1, busy.height() - 1), busy.rect().center()})
            QVERIFY2(!shape.contains(corner),
                     qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
        QVERIFY(shape.boundingRect().width() > busy.width() / 2);
    }
};

QTEST_MAIN(WindowDetailsTest)
#include "WindowDetailsTest.moc"
