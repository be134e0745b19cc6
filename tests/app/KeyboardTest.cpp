// The main page with the keyboard only, and what a screen reader is told about it.
#include "app/WindowRig.h"
#include "buttons/ui/FunctionMenu.h"
#include "buttons/ui/KeyComboDialogView.h"
#include "buttons/ui/KeyPageView.h"
#include "widgets/ClickLabel.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"

#include <QLineEdit>

#include <QAccessible>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

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
    // The key-combination dialog for key 4, active, its capture with the focus.
    krm::gui::KeyComboDialogView* openComboDialog() {
        krm::gui::KeyPageView* keys = window.keyPage();
        keys->openMenuPath(4, {});
        auto* dialog = qobject_cast<krm::gui::KeyComboDialogView*>(keys->openKeyComboDialog());
        if (!dialog || !QTest::qWaitForWindowActive(dialog) || dialog->focusWidget() != dialog->edit())
            return nullptr;
        return dialog;
    }
};

// Where a control is on the window.
QRect placeOf(const QWidget* w, const QWidget* window) {
    return {w->mapTo(window, QPoint(0, 0)), w->size()};
}

// Reading order, page by page: within a column (controls whose extents overlap across) Tab never goes
// back up, and along a row it goes to the right.
QString readingOrderFault(const QList<QRect>& stops, const QStringList& names) {
    constexpr int kRowSlack = 8;
    for (int i = 0; i < stops.size(); ++i)
        for (int j = i + 1; j < stops.size(); ++j) {
            const QRect a = stops[i], b = stops[j];
            const bool sameColumn = a.left() <= b.right() && b.left() <= a.right();
            const bool sameRow = std::abs(a.top() - b.top()) <= kRowSlack;
            if ((sameColumn && !sameRow && b.top() < a.top()) ||
                (j == i + 1 && sameRow && b.left() < a.left()))
                return QStringLiteral("'%1' comes after '%2'").arg(names[j], names[i]);
        }
    return {};
}

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
        // Each stop is what it stands for, with its state: the page shown is the selected tab, the
        // language the chosen option, a mode switch a check box.
        const struct {
            const char* name;
            QAccessible::Role role;
            bool on;
        } kinds[] = {
            {"Office Mode", QAccessible::PageTab, true},
            {"Game Mode", QAccessible::PageTab, false},
            {"English", QAccessible::RadioButton, true},
            {"English (alt.)", QAccessible::RadioButton, false},
            {"Save", QAccessible::Button, false},
            {"Key 7: Middle Click", QAccessible::Button, false},
            {"Press 'Right Key'+'Back' to switch LED Mode", QAccessible::CheckBox,
             rig.session.assignments().toggleOn(1)},
        };
        std::size_t seen = 0;
        for (int i = 0; i < forward.size(); ++i, rig.press(Qt::Key_Tab)) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(rig.focus());
            for (const auto& k : kinds) {
                if (a->text(QAccessible::Name) != QLatin1String(k.name)) continue;
                ++seen;
                QCOMPARE(a->role(), k.role);
                QCOMPARE(k.role == QAccessible::PageTab ? a->state().selected : a->state().checked, k.on);
            }
        }
        QCOMPARE(seen, std::size(kinds));
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

    void aMenuOpenedWithThePointerIsWalkedWithTheKeys_data() {
        QTest::addColumn<bool>("pointerOnStandardKeys");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("chosen");
        using K = QList<int>;
        // Nothing lit: Down starts at the menu's top. With the pointer on "Standard Mouse Key" (its
        // submenu open), the keys go on from there.
        QTest::newRow("from the top")
            << false << K{Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return} << "Key 7: Right Click";
        QTest::newRow("from the lit item")
            << true << K{Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space}
            << "Key 7: Backward";
        QTest::newRow("Up from the bottom, Left back")
            << false << K{Qt::Key_Up, Qt::Key_Up, Qt::Key_Left} << "";
    }
    void aMenuOpenedWithThePointerIsWalkedWithTheKeys() {
        QFETCH(bool, pointerOnStandardKeys);
        QFETCH(QList<int>, keys);
        QFETCH(QString, chosen);
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        krm::gui::KeyPageView* page = rig.window.keyPage();
        QWidget* key = page->keyLabel(7);
        QTest::mouseClick(key, Qt::LeftButton);
        QVERIFY(rig.menuShown());
        QVERIFY(!key->hasFocus()); // a click leaves the focus where it was
        if (pointerOnStandardKeys) page->menu().hover(page->menu().item(krm::MenuPanel::Main, 1));
        for (int k : keys) rig.press(static_cast<Qt::Key>(k));
        if (chosen.isEmpty()) {
            // Still open, the focus on an item of it.
            QVERIFY(rig.menuShown());
            QVERIFY(qobject_cast<krm::gui::FunctionMenuItem*>(rig.focus()));
            return;
        }
        QVERIFY(!rig.menuShown());
        QCOMPARE(accessibleName(key), chosen);
    }

    void tabWalksEachPageInReadingOrder_data() {
        // Every stop has a spoken name.
        QTest::addColumn<krm::Page>("page");
        QTest::newRow("key") << krm::Page::Profile1;
        QTest::newRow("performance") << krm::Page::Performance;
        QTest::newRow("lighting") << krm::Page::Lighting;
        QTest::newRow("macro") << krm::Page::Macro;
    }
    void tabWalksEachPageInReadingOrder() {
        QFETCH(krm::Page, page);
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        rig.window.pageButtonClicked(page);
        QCOMPARE(rig.session.page(), page);
        rig.press(Qt::Key_Tab);
        QWidget* start = rig.focus();
        QVERIFY(start);
        // From the first stop of the title bar round to it again.
        for (int i = 0; i < 50 && placeOf(rig.focus(), &rig.window).top() > 40; ++i) rig.press(Qt::Key_Tab);
        start = rig.focus();
        QList<QRect> stops;
        QStringList names;
        do {
            QWidget* w = rig.focus();
            const QRect at = placeOf(w, &rig.window);
            QVERIFY2(w->isVisible() && rig.window.rect().contains(at), qPrintable(w->objectName()));
            QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
            stops << at;
            names << w->objectName();
            rig.press(Qt::Key_Tab);
        } while (rig.focus() != start && stops.size() < 200);
        QCOMPARE(rig.focus(), start);
        QVERIFY(stops.size() > 20); // the page's own controls too, not only the window's
        const QString fault = readingOrderFault(stops, names);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void controlsWithoutCaptionsAreNamedFromTheLanguageTable_data() {
        QTest::addColumn<krm::Page>("page");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const struct {
            krm::Page page;
            int language;
            const char* control;
            const char* name;
        } rows[] = {
            {krm::Page::Performance, 1, "lbl_DPI1Col", "DPI Color 1"},
            {krm::Page::Performance, 1, "lbl_DPI3Col", "DPI Color 3"},
            {krm::Page::Performance, 2, "lbl_DPI3Col", "DPI 颜色 3"},
            {krm::Page::Performance, 1, "Edt_Repeat2", "Fire Key2 Repeat(1-16)"},
            {krm::Page::Performance, 1, "Edt_DelayTime3", "Fire Key3 Interval(ms)"},
            {krm::Page::Performance, 2, "lbl_Fire1Continue", "连击键1 按住持续连发"},
            {krm::Page::Lighting, 1, "lbl_Col1", "Color Table 1"},
            {krm::Page::Lighting, 1, "lbl_Col10", "Color Table 10"},
            {krm::Page::Lighting, 2, "lbl_Col10", "颜色表 10"},
            {krm::Page::Lighting, 1, "slider_RGB_Speed", "Light Speed"},
            {krm::Page::Lighting, 1, "Img_Fall4", "Light Speed 4"},
            {krm::Page::Lighting, 1, "slider_MCULED_Speed", "MCU LED Speed"},
            {krm::Page::Lighting, 1, "Img_MCULEDStep_8", "MCU LED Speed 8"},
            {krm::Page::Macro, 1, "LB_PCMacroName", "Macro List"},
            {krm::Page::Macro, 1, "LB_macro", "Macro Content"},
            {krm::Page::Macro, 1, "LB_MacroName", "Storage in Mouse"},
            {krm::Page::Macro, 2, "LB_MacroName", "鼠标内的宏"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s-%d", r.control, r.language)
                << r.page << r.language << QString::fromLatin1(r.control) << QString::fromUtf8(r.name);
    }
    void controlsWithoutCaptionsAreNamedFromTheLanguageTable() {
        QFETCH(krm::Page, page);
        QFETCH(int, language);
        QFETCH(QString, control);
        QFETCH(QString, name);
        KeyboardRig rig;
        rig.window.pageButtonClicked(page);
        if (language != 1) rig.window.languageButtonClicked(language);
        auto* w = rig.window.findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(accessibleName(w), name);
    }

    void theKeyCombinationDialogCapturesTabAndEscAndStillLetsTheKeyboardOut() {
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        krm::gui::KeyComboDialogView* dialog = rig.openComboDialog();
        QVERIFY(dialog);
        QPointer<QWidget> alive(dialog);
        QLineEdit* edit = dialog->edit();
        auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(dialog->focusWidget(), key, mods);
        };
        // Tab and one Esc are keys of the combination.
        press(Qt::Key_Tab);
        press(Qt::Key_Escape);
        QCOMPARE(edit->text(), QStringLiteral("Tab+Esc"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), edit);

        // Shift+Tab leaves the capture and walks the controls back in reading order; Tab comes back in.
        QStringList walked;
        for (int i = 0; i < 8; ++i) {
            press(Qt::Key_Backtab, Qt::ShiftModifier);
            walked << dialog->focusWidget()->objectName();
        }
        QCOMPARE(walked, QStringList({"IB_Close", "IB_Cancel", "IB_Confirm", "CB_Win", "CB_Alt", "CB_Shift",
                                      "CB_Ctrl", "Edt_Assembly"}));
        QCOMPARE(edit->text(), QStringLiteral("Tab+Esc"));

        // Space ticks the focused box and leaves the focus there; Enter presses Confirm.
        press(Qt::Key_Backtab, Qt::ShiftModifier); // Close
        press(Qt::Key_Tab);                        // the capture again
        press(Qt::Key_F5);
        for (int i = 0; i < 7; ++i) press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(dialog->focusWidget(), dialog->modifierBox(krm::KeyComboDialog::kCtrl));
        press(Qt::Key_Space);
        QVERIFY(dialog->modifierBox(krm::KeyComboDialog::kCtrl)->isChecked());
        QCOMPARE(dialog->focusWidget(), dialog->modifierBox(krm::KeyComboDialog::kCtrl));
        QCOMPARE(edit->text(), QStringLiteral("Ctrl+F5"));
        for (int i = 0; i < 4; ++i) press(Qt::Key_Tab);
        QCOMPARE(dialog->focusWidget(), dialog->confirmButton());
        rig.clearTrace();
        press(Qt::Key_Return);
        QTRY_VERIFY(!alive);
        QCOMPARE(rig.window.keyPage()->keyLabel(4)->text(), QStringLiteral("Ctrl+F5"));
        QVERIFY(!rig.commands().empty());
    }

    void escTwiceOrEscOnAControlClosesTheKeyCombinationDialog_data() {
        QTest::addColumn<bool>("fromControl");
        QTest::newRow("Esc twice in the capture") << false;
        QTest::newRow("Esc on the close button") << true;
    }
    void escTwiceOrEscOnAControlClosesTheKeyCombinationDialog() {
        QFETCH(bool, fromControl);
        KeyboardRig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        const QString before = rig.window.keyPage()->keyLabel(4)->text();
        krm::gui::KeyComboDialogView* dialog = rig.openComboDialog();
        QVERIFY(dialog);
        QPointer<QWidget> alive(dialog);
        rig.clearTrace();
        QTest::keyClick(dialog->edit(), Qt::Key_A);
        if (fromControl) QTest::keyClick(dialog->edit(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
        if (!fromControl) {
            QVERIFY(dialog->isVisible()); // one Esc is a key
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
        }
        QTRY_VERIFY(!alive);
        QCOMPARE(rig.window.keyPage()->keyLabel(4)->text(), before);
        QVERIFY(rig.commands().empty());
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
