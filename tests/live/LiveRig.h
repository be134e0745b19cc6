#pragma once

// The live window: the program as krmconfig makes it, on the xcb platform of a private Xvfb that the
// test starts before the toolkit, driven by xdotool with real X input at a person's pace, and seen
// through the protocol trace, the simulated mouse's image file and the X server's own pixels.

#include "app/gui/Program.h"
#include "support/PrivateXvfb.h"
#include "support/TempDir.h"
#include "support/TraceSummary.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QtTest>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// Runs a Qt Test class on the private display: a 2600x1500 screen holds the window at 200 % too.
// Without Xvfb the test is skipped (exit code 77).
#define KRM_LIVE_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char** argv) {                                                                        \
        krm::test::PrivateXvfb display("2600x1500x24");                                                      \
        if (display.display().empty()) {                                                                     \
            std::puts("SKIP: Xvfb could not be started");                                                    \
            return 77;                                                                                       \
        }                                                                                                    \
        qputenv("DISPLAY", QByteArray::fromStdString(display.display()));                                    \
        qputenv("QT_QPA_PLATFORM", "xcb");                                                                   \
        QApplication app(argc, argv);                                                                        \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

// How long a person leaves between two keys or two clicks.
constexpr int kHumanPaceMs = 60;

// The program on a simulated mouse that keeps its image in a file of the rig's folder, with the
// protocol trace in another; restart() ends it and starts it again on the same file, as a user does.
class LiveProgram {
public:
    explicit LiveProgram(std::vector<std::string> extraArgs = {}) : extra_(std::move(extraArgs)) { start(); }

    void start() {
        // The macro library and the fire-macro list live in the rig's folder too: a run starts with
        // none, a restart finds what the run before it wrote.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir_.file("data")));
        std::vector<std::string> args{"krmconfig", "--simulate", "--sim-image",
                                      imageFile(), "--trace",    traceFile()};
        args.insert(args.end(), extra_.begin(), extra_.end());
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        std::string error;
        program_ =
            gui::Program::create(parseGlobalOptions(static_cast<int>(argv.size()), argv.data(), true), error);
        QVERIFY2(program_, error.c_str());
        // Messages are written down instead of waiting for a click.
        window().setMessagePresenter(
            [this](QWidget*, const QString& text, const QString&) { messages.push_back(text); });
        program_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        // The first presence poll at once instead of a second later: the mouse is found and read.
        window().devTimerTimer();
        QVERIFY(session().mouseOpen());
    }

    void restart() {
        program_.reset();
        start();
    }

    gui::MainWindow& window() { return program_->window(); }
    Session& session() { return program_->session(); }
    std::string imageFile() const { return dir_.file("mouse.bin"); }
    std::string traceFile() const { return dir_.file("trace.txt"); }

    // The mouse's image as its file holds it.
    std::vector<std::uint8_t> image() const { return fileBytes(imageFile()); }
    // The command reports sent since the last call, block writes summarised ("... +21").
    std::vector<std::string> newCommands() {
        std::ifstream in(traceFile());
        std::stringstream all;
        all << in.rdbuf();
        const std::string text = all.str();
        const std::string fresh = text.substr(std::min(seen_, text.size()));
        seen_ = text.size();
        return commandSummary(traceLines(fresh));
    }
    // The writes among them, one line each, for comparing.
    QStringList newWrites() {
        QStringList out;
        for (const std::string& w : writesOf(newCommands())) out << QString::fromStdString(w);
        return out;
    }
    template <typename W = QWidget> W* find(const char* name) {
        return window().findChild<W*>(QString::fromLatin1(name));
    }

    QStringList messages;

private:
    ScratchDir dir_;
    std::vector<std::string> extra_;
    std::unique_ptr<gui::Program> program_;
    std::size_t seen_ = 0;
};

// A person's hands: xdotool on the private display, a pause of kHumanPaceMs after every key and click.
// The window's events run while xdotool works, as they would on a desktop.
class Hands {
public:
    bool click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
        return clickAt(w, w->rect().center(), button);
    }
    bool clickAt(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint p = screenPoint(w, at);
        return run({"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", pace(), "click",
                    QString::number(button == Qt::RightButton ? 3 : 1)});
    }
    // A click, then the pointer to where it lights nothing up: the foot of the window's left column.
    bool clickAndRest(QWidget* w, QWidget* window) {
        const QPoint p = screenPoint(w, w->rect().center()), away = screenPoint(window, restingPlace(window));
        return run({"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", pace(), "click",
                    "1", "sleep", pace(), "mousemove", QString::number(away.x()), QString::number(away.y())});
    }
    bool hover(QWidget* w) { return hoverAt(w, w->rect().center()); }
    bool hoverAt(QWidget* w, QPoint at) {
        const QPoint p = screenPoint(w, at);
        return run({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }
    // Keys in one go, at a person's pace whatever the window is doing meanwhile: text is typed key by
    // key, "<Tab>" presses the key of that X name ("<ctrl+a>", "<BackSpace>").
    bool keys(const QStringList& strokes) {
        // xdotool's "type" takes the rest of its command line as text: one xdotool a stroke, in one shell.
        QStringList script;
        for (const QString& s : strokes) {
            const bool named = s.size() > 2 && s.startsWith(QLatin1Char('<')) && s.endsWith(QLatin1Char('>'));
            script << QStringLiteral("xdotool %1 --delay %2 '%3'")
                          .arg(named ? QStringLiteral("key") : QStringLiteral("type"))
                          .arg(kHumanPaceMs)
                          .arg(named ? s.mid(1, s.size() - 2) : s);
            script << QStringLiteral("sleep ") + pace();
        }
        return run(QStringLiteral("sh"), {QStringLiteral("-ec"), script.join(QStringLiteral("; "))});
    }

    // Lets the window take in whatever the X server has for it and finish what that started (a write
    // the last key started runs to its end inside the first of these).
    static void settle() {
        QGuiApplication::sync();
        QTest::qWait(20);
        QGuiApplication::sync();
    }

private:
    static QPoint restingPlace(const QWidget* window) { return {75, window->height() - 16}; }
    static QString pace() { return QString::number(kHumanPaceMs / 1000.0); }
    static QPoint screenPoint(QWidget* w, QPoint at) {
        const qreal ratio = w->devicePixelRatioF();
        const QPoint global = w->mapToGlobal(at);
        return {static_cast<int>(std::lround(global.x() * ratio)),
                static_cast<int>(std::lround(global.y() * ratio))};
    }
    bool run(const QStringList& args) { return run(QStringLiteral("xdotool"), args); }
    bool run(const QString& program, const QStringList& args) {
        QProcess xdotool;
        xdotool.start(program, args);
        if (!xdotool.waitForStarted(5000)) return false;
        // The window works while the keys arrive.
        const bool done = QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 20000);
        settle();
        return done && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
    }
};

// The X server's pixels of a widget's rectangle (device pixels, as the screen shows them).
inline QImage onScreen(QWidget* w) {
    const QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
    QScreen* screen = w->screen();
    return screen->grabWindow(0, topLeft.x(), topLeft.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

inline int colourDistance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The share of a caption's text that the screen shows: the label draws itself off screen (on its
// palette's window colour), its pixels in the text colour are the ink, and the screen must show the
// text colour where they are. 0 for a label the screen does not show.
inline double captionShown(QLabel* label) {
    const QImage own = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage screen = onScreen(label);
    const QRgb ink = label->palette().color(QPalette::WindowText).rgb();
    int inked = 0, shown = 0;
    for (int y = 0; y < own.height() && y < screen.height(); ++y)
        for (int x = 0; x < own.width() && x < screen.width(); ++x) {
            if (colourDistance(own.pixel(x, y), ink) > 24) continue;
            ++inked;
            if (colourDistance(screen.pixel(x, y), ink) <= 60) ++shown;
        }
    return inked == 0 ? 0.0 : static_cast<double>(shown) / inked;
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
inline double luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}
inline double contrastRatio(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a box's text as the screen shows it: the commonest colour inside its frame (or inside
// `area`, in the widget's coordinates) is the background, the pixel that stands out most from it the text.
inline double textContrast(QWidget* box, QRect area = {}) {
    const QImage screen = onScreen(box);
    const qreal ratio = box->devicePixelRatioF();
    const int inset = static_cast<int>(std::lround(3 * ratio));
    const QRect inside = area.isNull() ? screen.rect().adjusted(inset, inset, -inset, -inset)
                                       : QRect(area.topLeft() * ratio, area.size() * ratio) & screen.rect();
    std::map<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[screen.pixel(x, y)];
    if (counts.empty()) return 0;
    QRgb background = counts.begin()->first;
    for (const auto& [colour, n] : counts)
        if (n > counts[background]) background = colour;
    double best = 1;
    for (const auto& [colour, n] : counts) best = std::max(best, contrastRatio(colour, background));
    return best;
}

// With KRM_LIVE_SHOTS=DIR the journeys keep what the screen showed as DIR/<name>.png.
inline void keepShot(QWidget& window, const QString& name) {
    const QString dir = qEnvironmentVariable("KRM_LIVE_SHOTS");
    if (dir.isEmpty()) return;
    const QPoint topLeft = window.mapToGlobal(QPoint(0, 0));
    window.screen()
        ->grabWindow(0, topLeft.x(), topLeft.y(), window.width(), window.height())
        .save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace krm::test
