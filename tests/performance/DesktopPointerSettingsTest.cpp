// The desktop implementations against the real thing: GSettings with its in-memory backend and the
// installed schemas, an X server (Xvfb) of our own, and Plasma's files in a scratch folder.

#include "performance/DesktopPointerSettings.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
// After gtest: Xlib's None and Bool macros would take gtest's names.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace krm {
namespace {

// --- GNOME ---

class GnomePointer : public ::testing::Test {
protected:
    void SetUp() override {
        // Before GIO picks a backend: nothing of the user's desktop is read or changed.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        gnome_ = GnomePointerSettings::open();
        if (!gnome_) GTEST_SKIP() << "org.gnome.desktop.peripherals.mouse is not installed";
        settings_ = g_settings_new("org.gnome.desktop.peripherals.mouse");
        g_settings_reset(settings_, "speed");
        g_settings_reset(settings_, "accel-profile");
        g_settings_reset(settings_, "double-click");
    }
    void TearDown() override {
        if (settings_) g_object_unref(settings_);
    }

    std::unique_ptr<GnomePointerSettings> gnome_;
    GSettings* settings_ = nullptr;
};

TEST_F(GnomePointer, TheDefaultSpeedIsStepSixAndDoubleClick500IsStepSeven) {
    g_settings_set_int(settings_, "double-click", 500);
    PointerPanel panel(*gnome_);
    ASSERT_TRUE(panel.load());
    EXPECT_EQ(panel.speedStep(), 6);
    EXPECT_TRUE(panel.precision()); // 'default'
    EXPECT_EQ(panel.doubleClickStep(), 7);

    panel.setDoubleClickStep(7);
    EXPECT_EQ(g_settings_get_int(settings_, "double-click"), 480);
    EXPECT_DOUBLE_EQ(g_settings_get_double(settings_, "speed"), 0.0);
    gchar* profile = g_settings_get_string(settings_, "accel-profile");
    EXPECT_STREQ(profile, "default"); // left as the user had it
    g_free(profile);
}

TEST_F(GnomePointer, SpeedAndPrecisionRoundTrip) {
    PointerPanel panel(*gnome_);
    ASSERT_TRUE(panel.load());
    panel.setSpeedStep(11);
    EXPECT_DOUBLE_EQ(g_settings_get_double(settings_, "speed"), 1.0);
    panel.setSpeedStep(1);
    EXPECT_NEAR(g_settings_get_double(settings_, "speed"), -0.9, 1e-9);
    panel.togglePrecision();
    gchar* profile = g_settings_get_string(settings_, "accel-profile");
    EXPECT_STREQ(profile, "flat");
    g_free(profile);

    PointerPanel again(*gnome_);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.speedStep(), 1);
    EXPECT_FALSE(again.precision());
    EXPECT_FALSE(gnome_->unsupported(PointerItem::ScrollLines).empty());
    EXPECT_TRUE(gnome_->unsupported(PointerItem::DoubleClick).empty());
}

// --- X11 ---

// An Xvfb of our own on a free display; -displayfd says when it is ready, so nothing waits on a clock.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "64x64x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The number comes first, then a newline in a write of its own: the pipe stays open for both.
        std::string number;
        char c = 0;
        while (pid_ > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

bool haveXvfb() {
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

TEST(X11Pointer, SpeedAndPrecisionThroughThePointerControl) {
    if (!haveXvfb()) GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_FALSE(server.display().empty());
    auto x11 = X11PointerSettings::open(server.display());
    ASSERT_TRUE(x11) << server.display();
    Display* probe = XOpenDisplay(server.display().c_str());
    ASSERT_TRUE(probe);
    auto control = [&] {
        int n = 0, d = 0, t = 0;
        XGetPointerControl(probe, &n, &d, &t);
        return std::to_string(n) + "/" + std::to_string(d) + " " + std::to_string(t);
    };

    // The server's default acceleration (2/1 past 4 pixels) is the middle speed, precision on.
    PointerPanel panel(*x11);
    ASSERT_TRUE(panel.load());
    EXPECT_EQ(panel.speedStep(), 6);
    EXPECT_TRUE(panel.precision());
    panel.setSpeedStep(6);
    EXPECT_EQ(control(), "2/1 4");
    panel.setSpeedStep(11);
    EXPECT_EQ(control(), "3/1 4");
    panel.setSpeedStep(2);
    EXPECT_EQ(control(), "6/5 4");
    panel.togglePrecision();
    EXPECT_EQ(control(), "1/1 4");

    PointerPanel again(*x11);
    ASSERT_TRUE(again.load());
    EXPECT_FALSE(again.precision());
    again.togglePrecision();
    EXPECT_EQ(control(), "2/1 4");
    EXPECT_FALSE(x11->unsupported(PointerItem::DoubleClick).empty());
    XCloseDisplay(probe);
}

// --- KDE Plasma ---

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(KdePointer, WritesItsKeysAndKeepsEveryOtherLine) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "krm-kde-pointer";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "kcminputrc") << "[Keyboard]\nNumLock=0\n\n[Mouse]\ncursorTheme=breeze\n";
    std::ofstream(dir / "kdeglobals") << "[General]\nfont=Noto Sans\n\n[KDE]\nWheelScrollLines=12\n";

    KdePointerSettings kde(dir.string());
    PointerPanel panel(kde);
    ASSERT_TRUE(panel.load());
    EXPECT_EQ(panel.speedStep(), 6);       // not written yet: Plasma's default
    EXPECT_EQ(panel.doubleClickStep(), 9); // 400 ms
    EXPECT_EQ(panel.scrollStep(), 10);
    panel.setSpeedStep(11);
    panel.setScrollStep(5);
    EXPECT_TRUE(kde.lastError().empty()) << kde.lastError();
    EXPECT_EQ(slurp(dir / "kcminputrc"), "[Keyboard]\nNumLock=0\n\n[Mouse]\ncursorTheme=breeze\n"
                                         "XLbInptPointerAcceleration=1\nXLbInptAccelProfileFlat=false\n");
    EXPECT_EQ(slurp(dir / "kdeglobals"),
              "[General]\nfont=Noto Sans\n\n[KDE]\nWheelScrollLines=5\nDoubleClickInterval=340\n");
    EXPECT_FALSE(kde.unsupported(PointerItem::OneScreen).empty());
}

} // namespace
} // namespace krm
