// The main page with the keyboard only, and what a screen reader is told about it.
#include "app/WindowRig.h"
#include "widgets/MessageBox.h"

#include <QAccessible>
#include <QtTest>

#include <algorithm>

using krm::test::WindowRig;

namespace {

QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    return a ? a->text(QAccessible::Name) : QString();
}

// The window with the mouse read, shown and active.
struct KeyboardRig : WindowRig {
    KeyboardRig() {
        window.devTimerTimer();
        window.show();
        window.activateWindow();
    }
    // The busy window shown during a write leaves no window active on the offscreen platform: the
    // window's own focus widget is where its keyboard focus is.
    QWidget* focus() const { return window.focusWidget(); }
    void press(Qt::Key key) { QTest::keyClick(focus() ? focus() : &window, key); }
    // The names the focus visits, pressing `key` from where it is until it comes back there.
    QStringList walk(Qt::Key key) {
        QWidget* start = focus();
        QStringList names;
        do {
            press(key);
            names << accessibleName(focus());
        } while (focus() != start && names.size() < 200);
        return names;
    }
    // Presses Tab until the focus is on the widget named `name`.
    bool tabTo(const QString& name) {
        for (int i = 0; i < 200 && accessibleName(focus()) != name; ++i) press(Qt::Key_Tab);
        return accessibleName(focus()) == name;
    }
    bool menuShown() const { return window.findChild<QWidget*>(QStringLiteral("Pnl_Main"))->isVisible(); }
};

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void tabAndShiftTabReachEveryButtonAndKeyByItsCaption() {
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QVERIFY(rig.focus());
        const QStringList forward = rig.walk(Qt::Key_Tab);
        QStringList backward = rig.walk(Qt::Key_Backtab);
        std::reverse(backward.begin(), backward.end());
        backward.push_back(backward.takeFirst()); // both walks end where they began
        QCOMPARE(backward, forward);

        for (const char* caption : {"Office Mode", "Game Mode", "Performance", "Lighting", "Macro", "Update",
                                    "Save", "Load", "Restore 1", "Restore 3", "Exit", "Minimize"})
            QVERIFY2(forward.contains(QLatin1String(caption)), caption);
        for (int key : {1, 2, 4, 5, 7, 8}) {
            const QString name = QStringLiteral("Key %1: %2")
                                     .arg(key)
                                     .arg(QString::fromStdString(rig.session.assignments().keyCaption(key)));
            QVERIFY2(forward.contains(name), qPrintable(name));
        }
        QVERIFY(forward.contains(QStringLiteral("Press 'Right Key'+'Back' to switch LED Mode")));
        QVERIFY(!forward.contains(QString())); // tick pictures are reached through their captions
        for (int i = 0; i < forward.size(); ++i, rig.press(Qt::Key_Tab))
            QCOMPARE(QAccessible::queryAccessibleInterface(rig.focus())->role(), QAccessible::Button);
    }

    void enterAndSpacePressTheFocusedButton() {
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QVERIFY(rig.tabTo(QStringLiteral("Performance")));
        rig.press(Qt::Key_Return);
        QCOMPARE(rig.session.page(), krm::Page::Performance);
        QVERIFY(rig.tabTo(QStringLiteral("Game Mode")));
        rig.press(Qt::Key_Space);
        QCOMPARE(rig.session.page(), krm::Page::Profile2);
    }

    void aKeyGetsItsFunctionFromTheMenuByKeyboard() {
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QVERIFY(rig.tabTo(QStringLiteral("Key 7: Middle Click")));
        QWidget* key = rig.focus();
        rig.press(Qt::Key_Enter);
        QVERIFY(rig.menuShown());
        QCOMPARE(accessibleName(rig.focus()), QStringLiteral("* Standard Mouse Key"));
        rig.press(Qt::Key_Down);
        QCOMPARE(accessibleName(rig.focus()), QStringLiteral("* Special Key"));
        rig.press(Qt::Key_Up);
        rig.press(Qt::Key_Right); // into the submenu: Left Click, Right Click, ...
        rig.press(Qt::Key_Down);
        QCOMPARE(accessibleName(rig.focus()), QStringLiteral("* Right Click"));
        rig.press(Qt::Key_Left);
        QCOMPARE(accessibleName(rig.focus()), QStringLiteral("* Standard Mouse Key"));
        rig.press(Qt::Key_Right);
        rig.press(Qt::Key_Down);
        rig.clearTrace();
        rig.press(Qt::Key_Space);

        QVERIFY(!rig.menuShown());
        QCOMPARE(rig.focus(), key);
        QCOMPARE(accessibleName(key), QStringLiteral("Key 7: Right Click"));
        QVERIFY(!rig.commands().empty());
    }

    void escapeClosesTheMenuAndTheMessageBox() {
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QVERIFY(rig.tabTo(QStringLiteral("Key 7: Middle Click")));
        QWidget* key = rig.focus();
        rig.press(Qt::Key_Return);
        rig.press(Qt::Key_Right);
        QVERIFY(rig.menuShown());
        rig.press(Qt::Key_Escape);
        QVERIFY(!rig.menuShown());
        QCOMPARE(rig.focus(), key);
        QCOMPARE(accessibleName(key), QStringLiteral("Key 7: Middle Click"));

        krm::gui::MessageBox box(&rig.window, QStringLiteral("Saved."), QString());
        box.open();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
