// The window's menus, dialogs and messages as a user meets them in the live window: the companion's
// settings (the title bar's menu button, a right click, the Game profiles dialog) in each look and
// language, a key's menu and a dialog of a window near the screen's edge, one message at a time in the
// order things happened, and the DPI level the mouse holds after another level is switched on.

#include "live/LiveRig.h"

#include "app/gui/CompanionControls.h"
#include "app/gui/ProfileRulesDialog.h"
#include "app/gui/WindowMenu.h"
#include "buttons/ui/FunctionMenu.h"
#include "buttons/ui/KeyPageView.h"
#include "companion/SessionProfiles.h"
#include "shell/LanguageTables.h"
#include "widgets/ClickLabel.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"
#include "widgets/ValueDialogView.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace krm;
using namespace krm::test;
using gui::ClickLabel;

namespace {

QString text(int language, const char* id) {
    return QString::fromStdString(lookupText(language, id));
}

// The colour the screen shows inside a widget, a few pixels in from its top left corner.
QRgb panelShown(QWidget* w) {
    return onScreen(w).pixel(4 * qRound(w->devicePixelRatioF()),
                             w->height() / 2 * qRound(w->devicePixelRatioF()));
}

// Every panel of a key's function menu that shows lies wholly on the window's screen.
QString menuOffScreen(gui::MainWindow& window) {
    const QRect screen = window.screen()->availableGeometry();
    for (QWidget* panel :
         window.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(Pnl_|LB_Name|LB_Script)"))))
        if (panel->isVisible() && !screen.contains(QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size())))
            return panel->objectName();
    return {};
}

QWidget* visibleTopLevel(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(objectName)) return w;
    return nullptr;
}

} // namespace

class LiveWindowTest : public QObject {
    Q_OBJECT
private slots:
    void theCompanionsSettingsInEveryLookAndLanguage() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        LiveProgram p;
        Hands hands;
        gui::MainWindow& w = p.window();
        for (int look = 1; look <= 3; ++look) {
            const QString where = QStringLiteral("look %1").arg(look);
            QVERIFY(hands.click(p.find(qPrintable(QStringLiteral("Btn_Lang%1_1").arg(look)))));
            const QRgb menuColour = gui::toQColor(w.layout().colour("Color_G_Back")).rgb();

            // The title bar's menu button, then a right click on the window: the same menu, in the look.
            QVERIFY(hands.click(p.find("Btn_Menu_1")));
            QMenu* menu = w.windowMenu().menu();
            QTRY_VERIFY2(menu && menu->isVisible(), qPrintable(where));
            QStringList captions;
            for (QAction* a : menu->actions()) captions << a->text();
            QCOMPARE(captions, QStringList({text(look, "Str901"), text(look, "Str902"), text(look, "Str903"),
                                            text(look, "Str946")}));
            QVERIFY2(colourDistance(panelShown(menu), menuColour) < 30, qPrintable(where));
            QVERIFY(hands.keys({QStringLiteral("<Escape>")}));
            QVERIFY(!menu->isVisible());
            QVERIFY(hands.clickAt(&w, QPoint(75, w.height() - 60), Qt::RightButton));
            QTRY_VERIFY2(menu->isVisible(), qPrintable(where));
            QVERIFY(hands.clickAt(menu, menu->actionGeometry(menu->actions().at(0)).center()));

            // The Game profiles dialog: the look's panel, the language's words.
            gui::ProfileRulesDialog* dialog = w.windowMenu().controls().openRulesDialog();
            QTRY_VERIFY2(dialog && dialog->isVisible(), qPrintable(where));
            QCOMPARE(dialog->title()->text(), text(look, "Str905"));
            QCOMPARE(dialog->table()->horizontalHeaderItem(0)->text(), text(look, "Str909"));
            QVERIFY2(colourDistance(panelShown(dialog), menuColour) < 30, qPrintable(where));
            QVERIFY(w.screen()->availableGeometry().contains(dialog->frameGeometry()));
            // The rules file's path on one line, whole in its box.
            QCOMPARE(dialog->pathBox()->text(),
                     QString::fromStdString(w.windowMenu().controls().files().rules));

            // A name typed into the skinned prompt becomes a rule for Game Mode, its profile shown whole.
            QVERIFY(hands.click(dialog->findChild<QWidget*>(QStringLiteral("Btn_Add"))));
            QTRY_VERIFY(dialog->addMenu()->isVisible());
            QCOMPARE(dialog->addMenu()->actions().at(1)->text(), text(look, "Str916"));
            QVERIFY(hands.clickAt(
                dialog->addMenu(),
                dialog->addMenu()->actionGeometry(dialog->addMenu()->actions().at(1)).center()));
            QTRY_VERIFY(dialog->prompt() && dialog->prompt()->isVisible());
            QCOMPARE(dialog->prompt()->windowTitle(), text(look, "Str905"));
            const QString game = QStringLiteral("Game%1.exe").arg(look);
            QVERIFY(hands.keys({game, QStringLiteral("<Return>")}));
            QTRY_COMPARE(dialog->table()->rowCount(), look);
            const int row = look - 1;
            QCOMPARE(dialog->table()->item(row, 0)->text(), game);
            auto* profile = qobject_cast<QComboBox*>(dialog->table()->cellWidget(row, 1));
            LanguageTables texts;
            texts.setLanguage(look);
            QCOMPARE(profile->currentText(),
                     QStringLiteral("2  ") + QString::fromStdString(profileName(texts, 2)));
            QVERIFY2(dialog->table()->columnWidth(1) >= profile->sizeHint().width(), qPrintable(where));
            QCOMPARE(static_cast<gui::ImageButton*>(dialog->findChild<QWidget*>(QStringLiteral("Btn_Close")))
                         ->text(),
                     text(look, "Str913"));
            QVERIFY(hands.click(dialog->findChild<QWidget*>(QStringLiteral("Btn_Close"))));
            QTRY_VERIFY(!w.windowMenu().controls().openRulesDialog());
        }
        // A setting switched in the menu is kept in the companion's file.
        QVERIFY(hands.click(p.find("Btn_Menu_1")));
        QMenu* menu = w.windowMenu().menu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(hands.clickAt(menu, menu->actionGeometry(menu->actions().at(1)).center()));
        QFile settings(config.filePath(QStringLiteral("krm/companion.ini")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("no"));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void aWindowNearTheScreensEdgeKeepsItsMenusAndDialogsOnTheScreen() {
        LiveProgram p;
        Hands hands;
        gui::MainWindow& w = p.window();
        gui::KeyPageView* keys = w.keyPage();
        const QRect screen = w.screen()->availableGeometry();
        const struct {
            const char* where;
            QPoint windowAt; // the window's top left
            int key;
        } cases[] = {
            {"right edge", {screen.right() - 480, 200}, 1},
            {"bottom edge", {200, screen.bottom() - 420}, 2},
        };
        for (const auto& c : cases) {
            w.move(c.windowAt);
            Hands::settle();
            // A click on the key, then the pointer down the menu into its third level.
            QVERIFY2(hands.click(keys->keyLabel(c.key)), c.where);
            QTRY_VERIFY2(keys->menu().isOpen(), c.where);
            QCOMPARE(menuOffScreen(w), QString());
            QVERIFY(hands.hover(keys->menu().item(MenuPanel::Main, 2)));
            QVERIFY(hands.hover(keys->menu().item(MenuPanel::Special, 7)));
            QVERIFY2(keys->menu().panel(MenuPanel::CPIKey)->isVisible(), c.where);
            QVERIFY2(menuOffScreen(w).isEmpty(),
                     qPrintable(QLatin1String(c.where) + QStringLiteral(": ") + menuOffScreen(w)));
            QVERIFY(hands.keys({QStringLiteral("<Escape>")}));
            QVERIFY(!keys->menu().isOpen());
        }
        // A dialog centred on a window past the screen's edge comes onto the screen.
        w.move(screen.right() - 300, 200);
        Hands::settle();
        QVERIFY(hands.click(p.find("Btn_Macro_1")));
        QVERIFY(hands.click(p.find("Btn_New")));
        QWidget* name = nullptr;
        QTRY_VERIFY((name = visibleTopLevel("TForm3")));
        QVERIFY(screen.contains(name->frameGeometry()));
        QVERIFY(hands.keys({QStringLiteral("<Escape>")}));
    }

    void oneMessageAtATimeInTheOrderThingsHappened() {
        // The mouse goes away right after the start-up read.
        int startupReports = 0;
        {
            LiveProgram first;
            std::ifstream trace(first.traceFile());
            for (std::string line; std::getline(trace, line);) ++startupReports;
        }
        QVERIFY(startupReports > 100);
        LiveProgram p({"--sim-fault", "vanish@" + std::to_string(startupReports)});
        gui::MainWindow& w = p.window();
        // A person reads each message box and presses Enter; the boxes already up when one shows are counted.
        QStringList shown;
        int upAtOnce = 0;
        w.setMessagePresenter([&](QWidget* parent, const QString& message, const QString& font) {
            shown << message;
            // The presence poll comes while the first box is up, as it does on a desktop a few seconds later.
            w.devTimer().start(50);
            for (QWidget* t : QApplication::topLevelWidgets())
                if (qobject_cast<gui::MessageBox*>(t) && t->isVisible()) ++upAtOnce;
            QTimer::singleShot(4 * kHumanPaceMs, [] {
                QProcess::startDetached(QStringLiteral("xdotool"),
                                        {QStringLiteral("key"), QStringLiteral("Return")});
            });
            gui::MessageBox::show(parent, message, font);
        });
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Switch_1")));
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 2, 10000);
        const auto& failures = p.session().textSlots().writeFailures;
        QVERIFY2(std::find(failures.begin(), failures.end(), shown.at(0).toStdString()) != failures.end(),
                 qPrintable(shown.at(0)));
        QVERIFY2(shown.at(1).startsWith(text(1, "Str100")), qPrintable(shown.at(1)));
        QCOMPARE(upAtOnce, 0);
    }

    void thePageShowsTheDpiLevelTheMouseHoldsAfterAnotherIsSwitchedOn() {
        LiveProgram p;
        Hands hands;
        QVERIFY(hands.click(p.find("Btn_Adv_1")));
        QCOMPARE(p.session().image().copies.user[2], std::uint8_t{1}); // level 2 (byte 166)
        QVERIFY(hands.clickAndRest(p.find("lbl_DPI7"), &p.window()));
        QCOMPARE(p.image().at(43), std::uint8_t{6}); // seven levels
        for (int run = 0; run < 2; ++run) {
            const QString where = run ? QStringLiteral("after a restart") : QStringLiteral("at once");
            QCOMPARE(p.image().at(166), std::uint8_t{1});
            const QPixmap ticked = gui::resourcePixmap(QStringLiteral("CbS_E"));
            for (int level = 1; level <= 8; ++level) {
                auto* selector = p.find<ClickLabel>(qPrintable(QStringLiteral("Img_DPI%1").arg(level)));
                QVERIFY2(selector->isChecked() == (level == 2), qPrintable(where + QString::number(level)));
                QVERIFY2((selector->pixmap().cacheKey() == ticked.cacheKey()) == (level == 2),
                         qPrintable(where + QString::number(level)));
            }
            QVERIFY(p.find<ClickLabel>("lbl_DPI7")->isChecked());
            if (run > 0) break;
            p.restart();
            QVERIFY(hands.click(p.find("Btn_Adv_1")));
        }
    }
};

KRM_LIVE_TEST_MAIN(LiveWindowTest)
#include "LiveWindowTest.moc"
