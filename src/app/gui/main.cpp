#include "app/gui/Companion.h"
#include "app/gui/MouseOwner.h"
#include "app/gui/Program.h"
#include "app/gui/QuitOnSignal.h"
#include "app/gui/RgbHost.h"
#include "app/gui/SingleInstance.h"
#include "app/gui/WindowMenu.h"
#include "base/GlobalOptions.h"
#include "widgets/QtImages.h"

#include <QApplication>
#include <QIcon>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: krmconfig [options]\n"
                 "Configurator of KRM gaming mice.\n\n"
                 "Options:\n"
                 "  --simulate[=R210B|R230B]  use the simulated mouse (default R210B)\n"
                 "  --sim-image FILE          the simulated mouse keeps its image in FILE\n"
                 "%s"
                 "                            (--sim-image and --sim-fault imply --simulate)\n"
                 "  --trace FILE              append every report to FILE (also KRM_TRACE)\n"
                 "  --ids VID:PID             also look for a mouse given these USB ids (hex)\n"
                 "  --screenshots DIR         render every page to DIR/<page>.png and exit\n"
                 "  --engineering             show the engineering page's button\n"
                 "  --background              no window: a tray icon, notices of the mouse's buttons and\n"
                 "                            per-game profiles (a later start opens the window)\n"
                 "  --help, --version\n",
                 krm::kSimFaultHelp);
}

} // namespace

namespace {
int runProgram(int argc, char** argv) {
    krm::GlobalOptions options = krm::parseGlobalOptions(argc, argv, true);
    const auto backgroundOption = std::find(options.rest.begin(), options.rest.end(), "--background");
    const bool background = backgroundOption != options.rest.end();
    if (background) options.rest.erase(backgroundOption);
    if (!options.error.empty() || !options.rest.empty()) {
        std::fprintf(stderr, "krmconfig: %s\n",
                     options.error.empty() ? ("unknown option '" + options.rest.front() + "'").c_str()
                                           : options.error.c_str());
        printUsage(stderr);
        return 2;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    if (options.version) {
        std::printf("krmconfig %s\n", KRM_VERSION);
        return 0;
    }

    const bool screenshots = !options.screenshots.empty();
    const QString title = QString::fromLatin1(krm::gui::MainWindow::kWindowTitle);
    if (!screenshots && krm::gui::SingleInstance::anotherIsRunning(title)) {
        // A second start only brings the first window forward; it starts nothing of its own.
        krm::gui::SingleInstance(title).raiseRunningInstance();
        return 0;
    }

    // The first window's pictures are decoded while the toolkit starts (the background has no window yet).
    if (!background)
        krm::gui::decodeAhead({QStringLiteral("L1_BackGround"), QStringLiteral("L1_Back1"),
                               QStringLiteral("SetS_01"), QStringLiteral("SetS_02"),
                               QStringLiteral("SetS_03"), QStringLiteral("BtnS_01"),
                               QStringLiteral("BtnS_02"), QStringLiteral("BtnS_03")});
    // The window is drawn in software: no OpenGL stack is loaded for it.
    setenv("QT_XCB_GL_INTEGRATION", "none", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("krmconfig"));
    QApplication::setApplicationDisplayName(QStringLiteral("Gaming Mouse"));
    // The installed desktop entry and icon carry the application id; desktops match the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.krm.krmconfig"));
    // Every way out of main waits for the decoder while the toolkit is still there.
    struct DecoderJoin {
        ~DecoderJoin() { krm::gui::finishDecodingAhead(); }
    } decoderJoin;

    krm::gui::SingleInstance instance(title);
    if (!screenshots) instance.listen();

    std::string error;
    const auto program = krm::gui::Program::create(options, error, !background || screenshots);
    if (!program) {
        std::fprintf(stderr, "krmconfig: %s\n", error.c_str());
        return 2;
    }
    if (background && !screenshots)
        return krm::gui::runInBackground(program->session(), program->ui(), instance, program->clock(),
                                         program->device().backend());
    krm::gui::MainWindow& window = program->window();
    QObject::connect(&instance, &krm::gui::SingleInstance::raiseRequested, &window,
                     &krm::gui::MainWindow::restoreAndRaise);

    if (screenshots) {
        // Nothing waits for a click here: messages go to the terminal. The first presence poll runs at
        // once, so a mouse that answers is read before the pages are drawn.
        window.setMessagePresenter([](QWidget*, const QString& text, const QString&) {
            std::fprintf(stderr, "krmconfig: %s\n", qPrintable(text.simplified()));
        });
        window.createBusyWindow(false);
        window.devTimerTimer();
        QStringList written;
        const bool ok = window.renderScreenshots(QString::fromStdString(options.screenshots), &written);
        for (const QString& path : written) std::printf("%s\n", qPrintable(path));
        if (!ok)
            std::fprintf(stderr, "krmconfig: could not write every screenshot to %s\n",
                         options.screenshots.c_str());
        window.close();
        return ok ? 0 : 1;
    }

    // Logging out or a kill ends the program as its close button does.
    const krm::gui::QuitOnSignal quitOnSignal([&window] {
        window.close();
        QCoreApplication::quit();
    });
    // What the first frame does not show waits for it: the icon (looking it up walks the icon themes'
    // folders, as long as drawing the whole window), the RGB-sync server, when companion.ini turns it on
    // (it serves until the program ends), and serving the mice on the session bus.
    std::unique_ptr<krm::gui::RgbHost> rgb;
    krm::gui::MouseOwner owner(program->session(), program->ui(), program->clock(),
                               program->device().backend());
    QObject::connect(
        &window, &krm::gui::MainWindow::firstFrameShown, &window,
        [&rgb, &program, &owner, &window] {
            QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.krm.krmconfig")));
            rgb = krm::gui::serveRgbIfTurnedOn(program->session(), program->ui(), program->clock());
            owner.start();
            owner.attachWindow(window);
        },
        Qt::SingleShotConnection);
    // The window's menu turns the server on and off.
    QObject::connect(
        &window.windowMenu(), &krm::gui::WindowMenu::rgbServingChanged, &window, [&rgb, &program](bool on) {
            rgb.reset();
            if (on) rgb = krm::gui::serveRgbIfTurnedOn(program->session(), program->ui(), program->clock());
        });
    program->show();
    const int status = app.exec();
    if (const auto failure = program->device().traceFailure(options)) {
        std::fprintf(stderr, "krmconfig: %s\n", failure->c_str());
        return status == 0 ? 3 : status;
    }
    return status;
}
} // namespace

// Whatever escapes the program ends it with a message and a failure code, never with an abort.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: stopped by an unexpected error: %s\n", "krmconfig", e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: stopped by an unexpected error\n", "krmconfig");
    }
    return 1;
}
