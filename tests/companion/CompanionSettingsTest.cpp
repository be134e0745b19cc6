#include "companion/CompanionSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace krm {

using test::ScratchDir;

namespace {
std::string text(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(CompanionSettings, NoticesAreOnUntilTurnedOff) {
    ScratchDir dir;
    const std::string path = dir.file("krm/companion.ini");
    EXPECT_TRUE(CompanionSettings::load(path).notices);
    ASSERT_FALSE((CompanionSettings{false}.save(path)));
    EXPECT_FALSE(CompanionSettings::load(path).notices);
    std::ofstream(path) << "[notices]\nshow = Off\n";
    EXPECT_FALSE(CompanionSettings::load(path).notices);
    std::ofstream(path) << "[Notices]\nShow = maybe\n";
    EXPECT_TRUE(CompanionSettings::load(path).notices);
}

// The RGB-sync server is off, on this machine's loopback and the protocol's usual port, until the file
// says otherwise; what it cannot use keeps the default.
TEST(CompanionSettings, TheRgbServerIsOffUntilTurnedOn) {
    ScratchDir dir;
    const std::string path = dir.file("krm/companion.ini");
    const CompanionSettings none = CompanionSettings::load(path);
    EXPECT_EQ(std::tuple(none.serveRgb, none.rgbPort, none.rgbAddress), std::tuple(false, 6742, "127.0.0.1"));
    CompanionSettings on;
    on.serveRgb = true;
    on.rgbPort = 16742;
    on.rgbAddress = "::1";
    ASSERT_FALSE(on.save(path));
    const CompanionSettings read = CompanionSettings::load(path);
    EXPECT_EQ(std::tuple(read.notices, read.serveRgb, read.rgbPort, read.rgbAddress),
              std::tuple(true, true, 16742, "::1"));
    std::ofstream(path) << "[RGB]\nServe = maybe\nPort = 70000\nAddress =\n";
    const CompanionSettings odd = CompanionSettings::load(path);
    EXPECT_EQ(std::tuple(odd.serveRgb, odd.rgbPort, odd.rgbAddress), std::tuple(false, 6742, "127.0.0.1"));
}

TEST(Autostart, TheEntryStartsTheProgramInTheBackground) {
    const struct {
        const char* program;
        const char* exec;
    } cases[] = {
        {"/usr/bin/krmconfig", "Exec=/usr/bin/krmconfig --background"},
        {"/home/ann/my build/krmconfig", "Exec=\"/home/ann/my build/krmconfig\" --background"},
        {"/opt/$x/100%/krmconfig", "Exec=\"/opt/\\\\$x/100%%/krmconfig\" --background"},
        {"/opt/a\\b/krmconfig", "Exec=\"/opt/a\\\\\\\\b/krmconfig\" --background"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_NE(autostart::entryText(c.program).find(std::string("\n") + c.exec + "\n"), std::string::npos)
            << autostart::entryText(c.program);
    }
}

TEST(Autostart, TheUsersEntryDecidesOverTheDesktops) {
    ScratchDir dir;
    const std::string user = dir.file("config/autostart/x.desktop");
    const std::string system = dir.file("xdg/x.desktop");
    std::filesystem::create_directories(dir.path() / "xdg");
    const std::string program = "/usr/bin/krmconfig";

    // No entry of the desktop's: on writes the user's, off removes it.
    EXPECT_FALSE(autostart::enabled(user, std::nullopt));
    ASSERT_FALSE(autostart::set(true, user, std::nullopt, program));
    EXPECT_TRUE(autostart::enabled(user, std::nullopt));
    EXPECT_EQ(text(user), autostart::entryText(program));
    ASSERT_FALSE(autostart::set(false, user, std::nullopt, program));
    EXPECT_FALSE(std::filesystem::exists(user));
    ASSERT_FALSE(autostart::set(false, user, std::nullopt, program)); // nothing to remove is fine

    // The package's entry is hidden: off until the user turns it on.
    std::ofstream(system) << autostart::entryText(program) << "Hidden=true\n";
    EXPECT_FALSE(autostart::enabled(user, system));
    ASSERT_FALSE(autostart::set(true, user, system, program));
    EXPECT_TRUE(autostart::enabled(user, system));
    ASSERT_FALSE(autostart::set(false, user, system, program));
    EXPECT_FALSE(std::filesystem::exists(user));

    // An administrator turned it on for everyone: the user turns it off with a hidden entry of their own.
    std::ofstream(system) << autostart::entryText(program);
    EXPECT_TRUE(autostart::enabled(user, system));
    ASSERT_FALSE(autostart::set(false, user, system, program));
    EXPECT_FALSE(autostart::enabled(user, system));
    EXPECT_NE(text(user).find("Hidden=true"), std::string::npos);
}

} // namespace krm
