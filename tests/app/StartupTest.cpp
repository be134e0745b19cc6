#include "app/gui/NavigationBar.h"
#include "app/gui/QtUiPort.h"
#include "app/gui/SingleInstance.h"
#include "app/WindowRig.h"
#include "widgets/BusyWindow.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <vector>

using krm::gui::ImageButton;
using krm::test::WindowRig;

// Asks the window to close (as a click would, through the event queue) when the watched widget shows.
class CloseOnShow : public QObject {
public:
    explicit CloseOnShow(QWidget* window) : window_(window) {}
    bool posted = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show && !posted) {
            posted = true;
            QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* window_;
};

// Counts the paint events of the watched widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(int* paints) : paints_(paints) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++*paints_;
        return false;
    }

private:
    int* paints_;
};

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void windowComesUpCoveredWithoutTouchingTheMouse() {
        WindowRig rig(WindowRig::bothVariants(), false);
        auto& w = rig.window;
        w.formCreate();
        QVERIFY(rig.lines().empty()); // no device I/O while the window is created
        QCOMPARE(w.size(), QSize(1030, 662));
        QCOMPARE(w.windowTitle(), QStringLiteral("KRMR210B Gaming Mouse v1.0"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        // The colour key cuts the rounded corners out of the window and nothing else.
        QVERIFY(!w.mask().contains(QPoint(0, 0)));
        QVERIFY(w.mask().contains(QPoint(w.width() / 2, w.height() / 2)));
        QVERIFY(w.mask().contains(QPoint(w.width() / 2, 2)));
        krm::gui::MessageBox box(&w, QStringLiteral("text"), QStringLiteral("DejaVu Sans"));
        QVERIFY(box.mask().contains(QPoint(265, 100)) && !box.mask().contains(QPoint(0, 0)));
        QVERIFY(w.pagesCovered());
        QCOMPARE(w.shownPage(), krm::Page::Profile1);
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("KRM Gaming Mouse"));
        QCOMPARE(rig.session.presence().deviceIdTable.entries[0].vendorId, 0x3A7Eu);

        // Texts of table 1, the profile-1 and language-1 buttons marked.
        auto* profile1 = w.findChild<ImageButton*>(QStringLiteral("Btn_Main_1"));
        auto* lang1 = w.findChild<ImageButton*>(QStringLiteral("Btn_Lang1_1"));
        QVERIFY(profile1 && lang1);
        QCOMPARE(profile1->text(), QStringLiteral("Office Mode"));
        QCOMPARE(profile1->font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(lang1->text(), QStringLiteral("English"));
        QVERIFY(profile1->isMarked() && lang1->isMarked());
        QVERIFY(!w.findChild<ImageButton*>(QStringLiteral("Btn_Switch_1"))->isMarked());

        QCOMPARE(w.devTimer().interval(), 3500);
        QCOMPARE(w.devTimerFirst().interval(), 1000);
        QCOMPARE(w.labelRun().interval(), 200);
        QVERIFY(!w.devTimer().isActive() && !w.devTimerFirst().isActive() && !w.labelRun().isActive());

        // The busy window is created hidden, and its creation starts the first presence timer.
        w.createBusyWindow();
        QVERIFY(w.busyWindow() && !w.busyWindow()->isVisible());
        QCOMPARE(w.busyWindow()->size(), QSize(206, 196));
        QVERIFY(w.devTimerFirst().isActive());
        QVERIFY(!w.devTimer().isActive());
    }

    // What the first frame does not show (the theme icon, later services) waits for firstFrameShown: it
    // comes once, after the window's first paint, and not before the window is shown.
    void workNotForTheFirstFrameWaitsForIt() {
        WindowRig rig;
        auto& w = rig.window;
        int paints = 0;
        std::vector<int> paintsAtSignal;
        PaintCounter counter(&paints);
        w.installEventFilter(&counter);
        QObject::connect(&w, &krm::gui::MainWindow::firstFrameShown, &w,
                         [&] { paintsAtSignal.push_back(paints); });
        QApplication::processEvents();
        QVERIFY(paintsAtSignal.empty());
        w.show();
        QTRY_COMPARE(paintsAtSignal.size(), std::size_t{1});
        QVERIFY(paintsAtSignal.front() >= 1);
        w.repaint();
        w.showPage(krm::Page::Performance);
        QApplication::processEvents();
        QCOMPARE(paintsAtSignal.size(), std::size_t{1});
    }

    // QLabel sets up a text document of its own for every caption that takes the focus, unless told not
    // to: most of the start-up's text work. Captions here are plain and never selected.
    void captionsCarryNoTextDocuments() {
        WindowRig rig;
        rig.window.formCreate();
        rig.window.show();
        rig.window.devTimerTimer();
        QApplication::processEvents();
        QStringList holders;
        for (const QObject* o : rig.window.findChildren<QObject*>())
            if (QLatin1String(o->metaObject()->className()) == QLatin1String("QWidgetTextControl"))
                holders << o->parent()->objectName() + QLatin1Char('/') +
                               o->parent()->metaObject()->className();
        QVERIFY2(holders.isEmpty(), qPrintable(holders.join(QLatin1String(", "))));
    }

    void closingGivesUpTheMouseAndStopsTheReader() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QVERIFY(rig.session.mouseOpen());
        rig.window.show();
        QVERIFY(rig.window.close());
        QVERIFY(!rig.session.mouseOpen());
        QVERIFY(!rig.window.devTimer().isActive());
        // The reader was blocked in a read on the mouse; the rig's end joins it (a hang fails by timeout).
    }

    void aCloseInTheMiddleOfATransferLetsItFinish() {
        krm::FakeClock clock;
        krm::SimulatedMouse mouse(krm::Variant::R210B, clock);
        krm::gui::QtUiPort ui;
        krm::Session session(mouse, clock, ui, WindowRig::bothVariants());
        auto window = std::make_unique<krm::gui::MainWindow>(session, ui);
        ui.setWindow(window.get());
        window->formCreate();
        window->createBusyWindow(false);
        window->show();
        // The user closes the window while the busy window is up, in the middle of the image read.
        CloseOnShow closer(window.get());
        window->busyWindow()->installEventFilter(&closer);
        window->devTimerTimer();
        QVERIFY(closer.posted);
        QVERIFY(!window->isVisible());
        QCOMPARE(session.image().image, mouse.image()); // the read went on to its end
        window.reset();
        QVERIFY(!session.mouseOpen()); // the window's end gave the mouse up
    }

    void aLaterStartFindsTheLockAndRaisesTheFirst() {
        using krm::gui::SingleInstance;
        QTemporaryDir dir;
        const QString title = QStringLiteral("Gaming Mouse");
        QVERIFY(!SingleInstance::anotherIsRunning(title, dir.path()));
        // The lock is held for another process: a second open of the file cannot take it.
        const QString lockPath =
            QDir(dir.path()).entryInfoList({QStringLiteral("*.lock")}).value(0).filePath();
        const int other = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), -1);
        ::close(other);

        SingleInstance later(title, dir.path());
        QVERIFY(!later.raiseRunningInstance()); // nobody listens yet: told at once, no wait
        {
            SingleInstance first(title, dir.path());
            QSignalSpy raised(&first, &SingleInstance::raiseRequested);
            QVERIFY(first.listen());
            QVERIFY(later.raiseRunningInstance());
            QVERIFY(raised.wait(2000));
        }
        // The first instance's end removes its socket; nothing is left to answer.
        QVERIFY(!later.raiseRunningInstance());
    }

    void aSocketLeftByACrashIsTakenOver() {
        using krm::gui::SingleInstance;
        QTemporaryDir dir;
        const QString title = QStringLiteral("Gaming Mouse");
        SingleInstance first(title, dir.path());
        QVERIFY(first.listen());
        const QString socketPath =
            QDir(dir.path()).entryInfoList({QStringLiteral("*.socket")}, QDir::System).value(0).filePath();
        QVERIFY(!socketPath.isEmpty());
        // A crashed instance leaves a bound socket file behind that nobody accepts on.
        SingleInstance second(title, dir.path());
        QVERIFY(QFile::remove(socketPath));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(dead, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(dead);
        QVERIFY(!second.raiseRunningInstance());
        QSignalSpy raised(&second, &SingleInstance::raiseRequested);
        QVERIFY(second.listen());
        QVERIFY(SingleInstance(title, dir.path()).raiseRunningInstance());
        QVERIFY(raised.wait(2000));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
