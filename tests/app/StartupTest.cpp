#include "app/gui/BusyWindow.h"
#include "app/gui/MainWindow.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using krm::gui::MainWindow;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void windowComesUpCoveredWithItsTimersIdle() {
        MainWindow w(krm::GlobalOptions{});
        w.formCreate();
        QCOMPARE(w.size(), QSize(1030, 662));
        QCOMPARE(w.windowTitle(), QStringLiteral("KRMR210B Gaming Mouse v1.0"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w.pagesCovered());
        QCOMPARE(w.devTimer().interval(), 3500);
        QCOMPARE(w.devTimerFirst().interval(), 1000);
        QCOMPARE(w.labelRun().interval(), 200);
        QVERIFY(!w.devTimer().isActive());
        QVERIFY(!w.devTimerFirst().isActive());
        QVERIFY(!w.labelRun().isActive());

        // The busy window is created hidden, and its creation starts the first presence timer.
        w.createBusyWindow();
        QVERIFY(w.busyWindow());
        QVERIFY(!w.busyWindow()->isVisible());
        QCOMPARE(w.busyWindow()->size(), QSize(206, 196));
        QVERIFY(w.devTimerFirst().isActive());
        QVERIFY(!w.devTimer().isActive());
    }

    void closingEndsTheReaderThread() {
        auto* w = new MainWindow(krm::GlobalOptions{});
        w->formCreate();
        w->show();
        QVERIFY(w->close());
        delete w; // joins the reader thread; a hang here fails the test by timeout
    }

    void screenshotOfTheStartPage() {
        QTemporaryDir dir;
        MainWindow w(krm::GlobalOptions{});
        w.formCreate();
        QStringList written;
        QVERIFY(w.renderScreenshots(dir.path(), &written));
        QVERIFY(!written.isEmpty());
        QImage shot(QDir(dir.path()).filePath(QStringLiteral("start.png")));
        QCOMPARE(shot.size(), QSize(1030, 662));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
