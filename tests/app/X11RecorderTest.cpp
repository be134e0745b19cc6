// The X11 recorder for real: a private Xvfb, xdotool typing and clicking, the recorded rows and bytes.
// Skipped when Xvfb or xdotool is not installed.

#include "macros/MacroRecorder.h"
#include "widgets/X11InputCapture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <mutex>
#include <vector>

using namespace krm;

class X11RecorderTest : public QObject {
    Q_OBJECT

private:
    QProcess xvfb_;
    QString display_;

    bool xdotool(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        const bool ok =
            p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!ok) qWarning() << "xdotool" << args << p.exitCode() << p.readAllStandardError();
        return ok;
    }

private slots:
    void initTestCase() {
        if (!gui::X11InputCapture::compiledIn()) QSKIP("built without XInput 2");
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("Xvfb or xdotool is not installed");
        // Xvfb writes the display number it took to the descriptor given; stdout serves.
        xvfb_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("640x480x24")});
        QVERIFY(xvfb_.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(xvfb_.canReadLine(), 20000);
        display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine()).trimmed();
    }

    void cleanupTestCase() {
        if (xvfb_.state() != QProcess::NotRunning) {
            xvfb_.terminate();
            xvfb_.waitForFinished(5000);
        }
    }

    void typedKeysAndClicksBecomeRowsAndBytes() {
        gui::X11InputCapture capture(display_.toStdString());
        std::mutex mutex;
        std::vector<InputEvent> events;
        std::string error;
        QVERIFY2(capture.start(
                     [&](const InputEvent& e) {
                         std::lock_guard lock(mutex);
                         events.push_back(e);
                     },
                     error),
                 error.c_str());
        auto count = [&] {
            std::lock_guard lock(mutex);
            return events.size();
        };
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("a")}));
        QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("click"),
                         QStringLiteral("3"), QStringLiteral("keyup"), QStringLiteral("ctrl")}));
        // xdotool lets Ctrl go twice; the recorder takes the first release only.
        QTRY_VERIFY_WITH_TIMEOUT(count() >= 6, 10000);
        capture.stop(); // the capture thread is joined: nothing arrives after this
        const std::size_t stopped = count();
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("b")}));
        QCoreApplication::processEvents();
        QCOMPARE(count(), stopped);

        MacroRecorder recorder;
        recorder.start(DelayMode::None, 1);
        for (const InputEvent& e : events) recorder.feed(e);
        QStringList rows;
        for (const MacroRow& r : recorder.rows()) rows << QString::fromStdString(r.text());
        QCOMPARE(rows, QStringList({"1 A CODE:8204", "2 A CODE:0204", "1 Ctrl CODE:8101",
                                    "1 RightKey CODE:00A2", "2 RightKey CODE:0022", "2 Ctrl CODE:0101"}));
        const auto bytes = *compileMacroRows(recorder.rows(), {});
        QCOMPARE(QString::fromStdString(macroHex(bytes)), QStringLiteral("820402048101A222010100"));
    }
};

QTEST_GUILESS_MAIN(X11RecorderTest)
#include "X11RecorderTest.moc"
