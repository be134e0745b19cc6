// The background companion against real desktop pieces: a private session bus (dbus-daemon) with a
// notification server and a tray watcher that write down every call, a private Xvfb with client windows
// of two processes. krmconfig --background runs as a process of its own for the tray and the notices of
// the simulated mouse's buttons; the watcher, the rules dialog and the tray menu run in this process on
// virtual time. Skipped when dbus-daemon or Xvfb is not installed.

#include "app/gui/Companion.h"
#include "app/gui/DesktopNotices.h"
#include "app/gui/MainWindow.h"
#include "app/gui/ProfileRulesDialog.h"
#include "app/gui/QtUiPort.h"
#include "app/gui/RgbHost.h"
#include "companion/X11Focus.h"
#include "support/PrivateXvfb.h"
#include "support/SessionRig.h"
#include "support/X11Desktop.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <fstream>
#include <memory>

using namespace krm;

namespace {

// A session bus of the test's own with the recording desktop services on it.
class PrivateBus {
public:
    bool start(bool tray) {
        daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(10000) || !daemon_.waitForReadyRead(10000)) return false;
        address_ = QString::fromLatin1(daemon_.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        recorder_.setProcessEnvironment(env);
        recorder_.start(QStringLiteral(KRM_DBUS_RECORDER), tray ? QStringList() : QStringList{"--no-tray"});
        return recorder_.waitForStarted(10000) && waitFor(QStringLiteral("ready"));
    }
    ~PrivateBus() {
        for (QProcess* p : {&recorder_, &daemon_}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }
    const QString& address() const { return address_; }
    // Waits (up to 20 s) for a recorded line that starts with `start`; the lines before it are kept.
    bool waitFor(const QString& start) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 20000) {
            while (recorder_.canReadLine()) lines_ << QString::fromUtf8(recorder_.readLine()).trimmed();
            for (const QString& line : lines_)
                if (line.startsWith(start)) return true;
            QTest::qWait(20); // this process' own calls may be on their way too
        }
        qWarning() << "not recorded:" << start << "recorded:" << lines_;
        return false;
    }
    // The recorded notices' texts with the ids they replace: "0 DPI 1600 (level 2 of 6)".
    QStringList notices() const {
        QStringList out;
        static const QRegularExpression notify(
            QStringLiteral("^Notify replaces=(\\d+) summary=(.*) timeout="));
        for (const QString& line : lines_)
            if (const auto m = notify.match(line); m.hasMatch()) out << m.captured(1) + " " + m.captured(2);
        return out;
    }
    const QStringList& lines() const { return lines_; }

private:
    QProcess daemon_, recorder_;
    QString address_;
    QStringList lines_;
};

// The main window's title, as `xdotool search` finds the visible one.
QString visibleWindow(const QString& display) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("KRMR210B Gaming Mouse")});
    p.waitForFinished(10000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

// What a profile button of the window sends, from a session of its own.
std::vector<std::string> buttonWrites(Page page) {
    test::SessionRig button;
    button.session.connectNow();
    button.clearTrace();
    button.session.clickPage(page);
    return test::commandSummary(button.lines());
}

} // namespace

class CompanionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed (Debian package dbus)");
    }

    void theTrayHasTheApplicationIconWithoutAnInstalledTheme() {
        QVERIFY(!gui::resourcePixmap(QStringLiteral("AppIcon")).isNull());
    }

    void noticesReplaceTheLastOneAndSkipWhatWasOvertaken() {
        PrivateBus bus;
        QVERIFY(bus.start(false));
        const QDBusConnection connection =
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("notices-test"));
        QVERIFY(connection.isConnected());
        gui::DesktopNotices notices(connection);
        QSignalSpy answered(&notices, &gui::DesktopNotices::answered);
        notices.show(QStringLiteral("DPI 800 (level 1 of 6)"));
        // Asked for before the server answered the first: only the latest of them follows it.
        notices.show(QStringLiteral("DPI 1600 (level 2 of 6)"));
        notices.show(QStringLiteral("DPI 2400 (level 3 of 6)"));
        QTRY_COMPARE(answered.count(), 2);
        notices.setEnabled(false);
        notices.show(QStringLiteral("Game Mode"));
        notices.tell(QStringLiteral("The program's own word"));
        QTRY_COMPARE(answered.count(), 3);
        QVERIFY(bus.waitFor(QStringLiteral("Notify replaces=2 ")));
        QCOMPARE(bus.notices(), QStringList({"0 DPI 800 (level 1 of 6)", "1 DPI 2400 (level 3 of 6)",
                                             "2 The program's own word"}));
        QVERIFY(bus.lines().at(1).contains(QStringLiteral("timeout=2000 hints=desktop-entry,suppress-sound,"
                                                          "transient,urgency app=")));
    }

    void backgroundProcessShowsItsTrayAndTheButtonsNotices() {
        test::PrivateXvfb xvfb;
        if (xvfb.display().empty()) QSKIP("Xvfb is not installed or did not start");
        const QString display = QString::fromStdString(xvfb.display());
        PrivateBus bus;
        QVERIFY(bus.start(true));
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "KRM_TRACE"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));

        // The simulated mouse presses CPI, then its profile button, 400 ms apart: it goes from level 2
        // to level 3 and from profile 1 to profile 2, and the notices name where it went.
        QProcess companion;
        companion.setProcessEnvironment(env);
        companion.start(QStringLiteral(KRMCONFIG), {QStringLiteral("--background"),
                                                    QStringLiteral("--sim-fault"), QStringLiteral("events")});
        QVERIFY(companion.waitForStarted(10000));
        QVERIFY(bus.waitFor(QStringLiteral("RegisterStatusNotifierItem ")));
        QVERIFY(bus.waitFor(QStringLiteral("Notify replaces=1 ")));
        QCOMPARE(bus.notices(), QStringList({"0 DPI 2400 (level 3 of 6)", "1 Game Mode"}));
        QVERIFY(visibleWindow(display).isEmpty());

        // A second start opens the window of the first and ends.
        auto startAgain = [&] {
            QProcess second;
            second.setProcessEnvironment(env);
            second.start(QStringLiteral(KRMCONFIG), {QStringLiteral("--simulate")});
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitCode(), 0);
        };
        startAgain();
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindow(display).isEmpty(), 20000);
        // Its close button puts it away, once said; the process stays, and the next start brings it back.
        test::X11Desktop desktop(xvfb.display());
        desktop.close(visibleWindow(display).split(QLatin1Char('\n')).constFirst().toUInt());
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(display).isEmpty(), 20000);
        QVERIFY(
            bus.waitFor(QStringLiteral("Notify replaces=2 summary=The mouse's settings stay in the tray")));
        // Every notice carries the program's name, before the window opened and after.
        for (const QString& line : bus.lines())
            if (line.startsWith(QStringLiteral("Notify ")))
                QVERIFY2(line.endsWith(QStringLiteral(" app=KRM Gaming Mouse")), qPrintable(line));
        QCOMPARE(companion.state(), QProcess::Running);
        startAgain();
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindow(display).isEmpty(), 20000);

        companion.terminate(); // logging out
        QVERIFY(companion.waitForFinished(20000));
        QCOMPARE(companion.exitStatus(), QProcess::NormalExit);
        QCOMPARE(companion.exitCode(), 0);
    }

    void focusedGameSwitchesTheProfileThroughTheRulesDialogAndTheMenu() {
        test::PrivateXvfb xvfb;
        if (xvfb.display().empty()) QSKIP("Xvfb is not installed or did not start");
        PrivateBus bus;
        QVERIFY(bus.start(false));
        const QDBusConnection connection =
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("companion-test"));
        QTemporaryDir home;
        QFile::copy(QStringLiteral(KRM_X11_WINDOW), home.filePath(QStringLiteral("quakespasm")));
        const QString display = QString::fromStdString(xvfb.display());
        test::ClientWindow game(home.filePath(QStringLiteral("quakespasm")).toStdString(), xvfb.display());
        QVERIFY(game.window() != 0);
        std::ofstream(home.filePath(QStringLiteral("profiles.ini")).toStdString())
            << "[Default]\nProfile = 1\n";
        std::ofstream(home.filePath(QStringLiteral("companion.ini")).toStdString()) << "[RGB]\nPort = 0\n";

        FakeClock clock;
        SimulatedMouse mouse(Variant::R210B, clock);
        std::ostringstream traceText;
        TracingBackend trace(mouse, traceText);
        gui::QtUiPort ui;
        Session session(trace, clock, ui, test::SessionRig::bothVariants());
        ProcessTable processes;
        gui::Companion::Files files{home.filePath(QStringLiteral("profiles.ini")).toStdString(),
                                    home.filePath(QStringLiteral("companion.ini")).toStdString(),
                                    home.filePath(QStringLiteral("autostart.desktop")).toStdString()};
        gui::Companion companion(session, ui, clock, connection, files,
                                 X11FocusedProgram::connect(xvfb.display(), processes));
        std::vector<std::string> log;
        companion.watcher().decided = [&log](const WatchDecision& d) { log.push_back(describe(d)); };
        companion.start();
        QTRY_VERIFY(session.mouseOpen() && !session.presence().noDevice());
        // With no window, a switch the mouse refuses is a notice that points to no page.
        mouse.setAllCommandsRefused(true);
        companion.refreshMenu(); // as the menu does when it opens
        companion.menu()->actions().at(2)->trigger();
        QVERIFY(bus.waitFor(QStringLiteral(
            "Notify replaces=0 summary=The mouse did not take the change; it keeps what it held. ")));
        mouse.setAllCommandsRefused(false);
        // The window opened from the tray shows the key page of the profile the watcher switches to.
        companion.openWindow();
        companion.window()->setMessagePresenter(
            [](QWidget*, const QString& text, const QString&) { QFAIL(qPrintable("a message: " + text)); });
        QVERIFY(session.mouseOpen() && !session.presence().noDevice()); // found and read again at once
        QCOMPARE(companion.window()->shownPage(), Page::Profile1);

        // The game gets the focus; the dialog adds a rule for it (Game Mode), which holds after a second.
        test::X11Desktop desktop(xvfb.display());
        desktop.focus(game.window());
        QTRY_VERIFY(companion.lastFocused() && companion.lastFocused()->name() == "quakespasm");
        gui::ProfileRulesDialog* dialog = companion.rulesDialog();
        dialog->addFocusedProgram();
        QTRY_COMPARE(dialog->table()->rowCount(), 1);
        // What the watcher writes once `ms` have passed.
        auto writesAfter = [&](std::uint64_t ms) {
            traceText.str("");
            clock.advanceUs(ms * 1000);
            companion.runWatcher();
            return test::commandSummary(test::traceLines(traceText.str()));
        };
        QCOMPARE(writesAfter(1000), buttonWrites(Page::Profile2));
        QCOMPARE(log.back(),
                 "quakespasm (pid " + std::to_string(game.pid()) + ", rule 'quakespasm'): profile 2 written");
        QCOMPARE(companion.window()->shownPage(), Page::Profile2);

        // The tray menu shows the mouse: Game Mode checked, the six DPI levels with the current one.
        companion.refreshMenu();
        QStringList shown, checked;
        for (QAction* a : companion.menu()->actions()) {
            if (!a->isVisible() || a->isSeparator()) continue;
            shown << a->text();
            if (a->isChecked()) checked << a->text();
        }
        QCOMPARE(shown.mid(0, 9), QStringList({"Office Mode", "Game Mode", "Third Mode", "DPI 800",
                                               "DPI 1600", "DPI 2400", "DPI 3200", "DPI 4800", "DPI 6400"}));
        QCOMPARE(checked, QStringList({"Game Mode", "DPI 1600", "Show notices of the mouse's buttons"}));
        // Choosing Third Mode there writes what its button writes, and is a choice by hand.
        traceText.str("");
        companion.menu()->actions().at(3)->trigger();
        QCOMPARE(test::commandSummary(test::traceLines(traceText.str())), buttonWrites(Page::Profile3));
        QCOMPARE(log.back(), std::string("profile 3 chosen by hand: kept for a minute"));

        // The mouse's own CPI button: it steps to the next level, and a notice names the level re-read.
        mouse.raiseButtonEvent(0x01);
        mouse.raiseButtonEvent(0x00);
        QVERIFY(bus.waitFor(QStringLiteral("Notify replaces=1 summary=DPI 2400 (level 3 of 6)")));

        // The rule removed: the default profile, once the minute chosen by hand is over.
        dialog->table()->selectRow(0);
        dialog->removeSelected();
        QTRY_COMPARE(dialog->table()->rowCount(), 0);
        QCOMPARE(writesAfter(60000), buttonWrites(Page::Profile1));
        QCOMPARE(log.back(), std::string("no rule matches: default profile 1 written"));

        // The RGB-sync server is off until its entry is ticked; the setting is kept.
        QVERIFY(!companion.rgbServer());
        QAction* rgb = companion.controls().rgbAction();
        QVERIFY(companion.menu()->actions().contains(rgb));
        QCOMPARE(rgb->text(), QStringLiteral("Serve the lighting to RGB programs"));
        rgb->trigger();
        QVERIFY(companion.rgbServer() && companion.rgbServer()->serving() && rgb->isChecked());
        QVERIFY(CompanionSettings::load(files.settings).serveRgb);
        rgb->trigger();
        QVERIFY(!companion.rgbServer() && !CompanionSettings::load(files.settings).serveRgb);

        // The window in Chinese: the tray's menu speaks it too, and where the program draws the menu it is
        // drawn in the window's look.
        companion.window()->languageButtonClicked(2);
        emit companion.menu()->aboutToShow();
        QStringList chinese;
        for (QAction* a : companion.menu()->actions())
            if (a->isVisible() && !a->isSeparator()) chinese << a->text();
        QCOMPARE(chinese,
                 QStringList({"办公模式", "游戏模式", "第三模式", "DPI 800", "DPI 1600", "DPI 2400",
                              "DPI 3200", "DPI 4800", "DPI 6400", "按程序切换模式...", "显示鼠标按键的通知",
                              "随桌面启动", "向 RGB 同步程序提供灯光控制", "打开窗口", "退出"}));
        const QString back = gui::toQColor(companion.window()->layout().colour("Color_G_Back")).name();
        QVERIFY(companion.menu()->styleSheet().contains(back));
        // Its Game profiles opens over the window, in the window's look and language.
        companion.controls().rulesAction()->trigger();
        QTRY_VERIFY(companion.controls().openRulesDialog() &&
                    companion.controls().openRulesDialog()->isVisible());
        QCOMPARE(companion.controls().openRulesDialog()->parentWidget(), companion.window());
        QCOMPARE(companion.controls().openRulesDialog()->windowTitle(), QStringLiteral("按程序切换模式"));
    }
};

QTEST_MAIN(CompanionTest)
#include "CompanionTest.moc"
