// krmconfig under a headless Weston: the window maps, the compositor shows it in the shape of its
// picture (the colour-keyed corners show the desktop), and SIGTERM ends it cleanly.
//   krm_wayland_test KRMCONFIG BACKGROUND_PNG
// Every wait has a deadline; a Weston that cannot start is a failure with its log, never a skip.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

constexpr QRgb kDesktop = 0xFF00FF00; // a colour no picture of the window uses
constexpr QRgb kColourKey = 0xFF800000;
constexpr int kOutputWidth = 1280;
constexpr int kOutputHeight = 900;
const QString kSocket = QStringLiteral("krm-wayland-test");

int fail(const QString& why) {
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(why));
    return 1;
}

void stop(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

QString output(QProcess& p) {
    return QString::fromLocal8Bit(p.readAllStandardError() + p.readAllStandardOutput()).trimmed();
}

// The compositor's whole output, taken by weston-screenshooter into `dir`.
std::optional<QImage> capture(const QString& screenshooter, const QProcessEnvironment& env,
                              const QString& dir) {
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    QProcess shot;
    shot.setProcessEnvironment(env);
    shot.setWorkingDirectory(dir);
    shot.start(screenshooter, {});
    if (!shot.waitForFinished(3000) || shot.exitCode() != 0) {
        stop(shot);
        return std::nullopt;
    }
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files);
    if (files.isEmpty()) return std::nullopt;
    QImage image(QDir(dir).filePath(files.constFirst()));
    if (image.isNull()) return std::nullopt;
    return image.convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle holding every pixel that is not the desktop.
QRect drawnArea(const QImage& screen) {
    QRect area;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) != kDesktop) area |= QRect(x, y, 1, 1);
    return area;
}

// Pixels of the window's picture that are cut out but drawn, or kept but not drawn.
int shapeErrors(const QImage& screen, QPoint at, const QImage& picture) {
    int errors = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const bool cut = picture.pixel(x, y) == kColourKey;
            const bool shown = screen.pixel(at.x() + x, at.y() + y) != kDesktop;
            if (cut == shown) ++errors;
        }
    return errors;
}

int run(const QString& krmconfig, const QString& backgroundPath) {
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    const QString screenshooter = QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter"));
    if (weston.isEmpty() || screenshooter.isEmpty())
        return fail(
            QStringLiteral("weston and weston-screenshooter are not installed; the Wayland test needs "
                           "the Debian packages weston and qt6-wayland (tools/deps.sh lists them)"));
    const QImage picture = QImage(backgroundPath).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) return fail(QStringLiteral("cannot read the window's picture ") + backgroundPath);

    QTemporaryDir tmp;
    if (!tmp.isValid()) return fail(QStringLiteral("no temporary directory"));
    const QString runtime = tmp.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString ini = tmp.filePath(QStringLiteral("weston.ini"));
    {
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly)) return fail(QStringLiteral("cannot write ") + ini);
        // No on-screen keyboard: its surface would count as drawn.
        f.write(QStringLiteral("[core]\nidle-time=0\n[shell]\nbackground-color=0x%1\npanel-position=none\n"
                               "[input-method]\npath=\n")
                    .arg(kDesktop, 8, 16, QLatin1Char('0'))
                    .toLatin1());
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);

    // --debug offers the screenshooter protocol; pixman draws without a GPU.
    QProcess compositor;
    compositor.setProcessEnvironment(env);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston,
                     {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + kSocket,
                      QStringLiteral("--config=") + ini, QStringLiteral("--width=%1").arg(kOutputWidth),
                      QStringLiteral("--height=%1").arg(kOutputHeight), QStringLiteral("--use-pixman"),
                      QStringLiteral("--debug")});
    if (!compositor.waitForStarted(3000))
        return fail(QStringLiteral("Weston cannot be started: ") + compositor.errorString());
    struct StopAtEnd {
        QProcess& p;
        ~StopAtEnd() { stop(p); }
    } stopCompositor{compositor};
    const QString socket = QDir(runtime).filePath(kSocket);
    for (QDeadlineTimer d(5000); !QFile::exists(socket);) {
        if (d.hasExpired() || compositor.waitForFinished(20))
            return fail(
                QStringLiteral("Weston did not start on this machine (no socket %1 within 5 s); its log:\n%2")
                    .arg(socket, output(compositor)));
    }

    env.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
    QProcessEnvironment appEnv = env;
    appEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    appEnv.insert(QStringLiteral("KRM_TRACE"), QString());
    appEnv.insert(QStringLiteral("KRM_POINTER_SETTINGS"), QStringLiteral("memory"));
    appEnv.insert(QStringLiteral("XDG_DATA_HOME"), tmp.filePath(QStringLiteral("data")));
    appEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), tmp.filePath(QStringLiteral("config")));
    QProcess app;
    app.setProcessEnvironment(appEnv);
    app.start(krmconfig, {QStringLiteral("--simulate")});
    if (!app.waitForStarted(3000))
        return fail(QStringLiteral("krmconfig cannot be started: ") + app.errorString());
    struct StopAppAtEnd {
        QProcess& p;
        ~StopAppAtEnd() { stop(p); }
    } stopApp{app};

    // Mapped and drawn: the compositor shows something of the window's size.
    QRect window;
    std::optional<QImage> screen;
    for (QDeadlineTimer d(10000); window.size() != picture.size();) {
        if (d.hasExpired())
            return fail(
                QStringLiteral("the window was not shown within 10 s (drawn area %1x%2, expected %3x%4); "
                               "krmconfig said:\n%5\nWeston said:\n%6")
                    .arg(window.width())
                    .arg(window.height())
                    .arg(picture.width())
                    .arg(picture.height())
                    .arg(output(app), output(compositor)));
        if (app.waitForFinished(50))
            return fail(QStringLiteral("krmconfig ended before its window was shown (exit code %1):\n%2")
                            .arg(app.exitCode())
                            .arg(output(app)));
        screen = capture(screenshooter, env, tmp.filePath(QStringLiteral("shots")));
        // Until the desktop shell has drawn its background the output is black.
        window = screen && screen->pixel(0, 0) == kDesktop ? drawnArea(*screen) : QRect();
    }
    std::printf("window shown at %d,%d, %dx%d\n", window.x(), window.y(), window.width(), window.height());
    std::fflush(stdout);

    const int errors = shapeErrors(*screen, window.topLeft(), picture);
    if (errors != 0) {
        screen->save(tmp.filePath(QStringLiteral("failed-shape.png")));
        tmp.setAutoRemove(false);
        return fail(
            QStringLiteral("the compositor does not show the window in its shape: %1 pixels differ from "
                           "the picture's colour key (screen in %2)")
                .arg(errors)
                .arg(tmp.filePath(QStringLiteral("failed-shape.png"))));
    }

    app.terminate(); // SIGTERM, as a session's end sends it
    if (!app.waitForFinished(5000))
        return fail(QStringLiteral("krmconfig did not end within 5 s of SIGTERM"));
    const QString said = output(app);
    if (app.exitStatus() != QProcess::NormalExit || app.exitCode() != 0)
        return fail(
            QStringLiteral("krmconfig ended with code %1 on SIGTERM:\n%2").arg(app.exitCode()).arg(said));
    for (const QString& line : said.split(QLatin1Char('\n')))
        if (line.contains(QLatin1String("wayland"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("wl_")) || line.contains(QLatin1String("does not support")))
            return fail(QStringLiteral("krmconfig warned about the display server:\n") + said);
    std::printf("PASS: mapped, drawn in its shape, ended cleanly\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: krm_wayland_test KRMCONFIG BACKGROUND_PNG\n");
        return 2;
    }
    return run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
}
