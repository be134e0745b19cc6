// Files that are not what a command expects: a pipe with no writer, an endless device, a folder, a
// huge file. Each is refused at once with exit code 3 and not one report is sent.

#include "CtlRun.h"

#include "image/ImageFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace krm::test {

namespace {

// What a file argument may name instead of a file: a pipe with no writer, a folder, a 100 MB file.
struct Hostile {
    explicit Hostile(const ScratchDir& dir)
        : fifo(dir.file("pipe")), folder(dir.file("folder")), huge(dir.file("huge.bin")) {
        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::filesystem::create_directory(folder);
        putFile(huge, {});
        std::filesystem::resize_file(huge, 100u << 20); // sparse: costs no disk
    }
    std::string fifo, folder, huge;
};

} // namespace

TEST(HostileFiles, EveryFileCommandRefusesPipesDevicesAndFoldersAtOnce) {
    ScratchDir dir;
    const Hostile hostile(dir);
    const std::string &fifo = hostile.fifo, &folder = hostile.folder, &huge = hostile.huge;
    const std::string trace = dir.file("trace.log");

    const char* const commands[] = {"load", "program", "import-macros", "import-gun-macros", "inspect",
                                    "diff", "apply",   "save",          "read-image",        "export"};
    for (const std::string& target : {fifo, std::string("/dev/zero"), folder, huge}) {
        for (const char* command : commands) {
            const std::string c = command;
            const bool output = c == "save" || c == "read-image" || c == "export";
            if (output && target == huge) continue; // a regular file is a fine target
            const auto start = std::chrono::steady_clock::now();
            const CtlResult r = ctl({"--simulate", "--trace", trace, command, target});
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_EQ(r.rc, 3) << command << " " << target << ": " << r.err;
            EXPECT_LT(took, std::chrono::seconds(1)) << command << " " << target;
            EXPECT_EQ(readText(trace), "") << command << " " << target << ": nothing may be sent";
        }
    }
    // The pipe, the device and the folder are still what they were.
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(HostileFiles, ATraceThatCannotBeWrittenFailsTheRun) {
    ScratchDir dir;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string trace;
        const char* says;
    } cases[] = {
        {fifo, "it is a FIFO that no program reads"}, // refused at once, not waited on
        {"/dev/full", "could not be written whole (No space left on device)"},
        {dir.file("no/folder/t.log"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        const CtlResult r = ctl({"--simulate", "--trace", c.trace, "info"});
        EXPECT_EQ(r.rc, 3) << c.trace << ": " << r.err;
        EXPECT_NE(r.err.find(c.trace), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST(HostileFiles, SimulatedMouseImageMustBeARegularImageFileItCanKeep) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    putFile(dir.file("long.bin"), std::vector<std::uint8_t>(4096, 0));
    // A folder, a device, a long file; a folder that is missing, and one that is a file: refused
    // before any report, with the path and the reason.
    for (const std::string& image : {dir.file("folder"), std::string("/dev/zero"), dir.file("long.bin"),
                                     dir.file("missing/mouse.bin"), dir.file("long.bin/mouse.bin")}) {
        const std::string trace = dir.file("t.log");
        std::filesystem::remove(trace);
        const CtlResult r = ctl({"--sim-image", image, "--trace", trace, "assign", "1", "4", "01040000"});
        EXPECT_EQ(r.rc, 3) << image;
        EXPECT_NE(r.err.find(image), std::string::npos) << r.err;
        EXPECT_EQ(readText(trace), "") << image;
    }
}

TEST(HostileFiles, AtomicWritesUseAShortNameAndSweepWhatKilledWritersLeft) {
    ScratchDir dir;
    // A name as long as a file name may be: the temporary name must not be longer.
    const std::string longName = dir.file(std::string(250, 'n') + ".bin");
    // What a writer killed before its rename left, and a file that only looks alike (a live process).
    const std::string stale = dir.file(".krm-999999999.AbCdEf");
    const std::string live = dir.file(".krm-" + std::to_string(::getpid()) + ".XyZ123");
    putFile(stale, std::vector<std::uint8_t>(3, 1));
    putFile(live, std::vector<std::uint8_t>(3, 1));

    const std::vector<std::uint8_t> bytes(64, 0x5A);
    ASSERT_EQ(writeFileAtomically(longName, bytes), std::nullopt);
    EXPECT_EQ(fileBytes(longName), bytes);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));

    // A target that is not a regular file is never replaced.
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto refused = writeFileAtomically(fifo, bytes);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->kind, FileErrorKind::NotRegular);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(Monitor, EndsWithAMessageWhenTheMouseGoesAway) {
    // The mouse presses CPI and lets go (400 ms apart on its clock), then leaves in the middle of the
    // re-read that follows. Time is driven from here, so nothing waits for real seconds.
    FakeClock clock;
    CtlResult r;
    std::atomic<bool> finished{false};
    std::thread run([&] {
        r = ctl({"--simulate", "--sim-fault", "events", "--sim-fault", "vanish@303", "monitor"}, &clock);
        finished = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!finished && std::chrono::steady_clock::now() < deadline) {
        clock.advanceUs(1000);
        std::this_thread::yield();
    }
    if (!finished) {
        // The watch cannot be stopped from here; ending the run beats hanging it.
        std::fprintf(stderr, "monitor did not end when the mouse went away\n");
        std::abort();
    }
    run.join();
    EXPECT_EQ(r.rc, 2) << r.err;
    EXPECT_NE(r.err.find("the mouse went away"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("current CPI level: 255"), std::string::npos) << r.out;
}

TEST(HostileFiles, WatchRefusesARulesFileItCannotReadBeforeItWatches) {
    ScratchDir dir;
    const Hostile hostile(dir);
    for (const std::string& rules : {hostile.fifo, std::string("/dev/zero"), hostile.folder, hostile.huge}) {
        const CtlResult r = ctl({"--simulate", "watch", "--rules", rules});
        EXPECT_EQ(r.rc, ctl::kBadFile) << rules;
        EXPECT_EQ(r.out, "") << rules << ": what is wrong goes to standard error";
        EXPECT_NE(r.err.find("krmctl: watch: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(rules), std::string::npos) << r.err;
    }
}

TEST(HostileFiles, ASimulatedMouseWhoseImageFileCannotBeKeptFailsWithoutASuccessLine) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), settings = dir.file("s.ini");
    ASSERT_EQ(ctl({"--sim-image", mouse, "info"}).rc, 0);
    putFile(settings,
            std::vector<std::uint8_t>{'[', 'f', 'i', 'r', 'e', ']', '\n', 's', 'l', 'o', 't', '1',
                                      '-', 'r', 'e', 'p', 'e', 'a', 't',  ' ', '=', ' ', '4', '\n'});
    const auto before = fileBytes(mouse);
    const std::vector<std::vector<std::string>> commands = {
        {"rate", "500"}, {"assign", "1", "4", "01040000"}, {"profile", "2"}, {"apply", settings}};
    // No file of this process may grow past 1 KiB, as on a full disk (for root too): the 2048-byte image
    // cannot be written again.
    struct rlimit normal {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &normal), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& command : commands) {
        std::vector<std::string> args = {"--sim-image", mouse};
        args.insert(args.end(), command.begin(), command.end());
        struct rlimit full = normal;
        full.rlim_cur = 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
        const CtlResult r = ctl(args);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &normal), 0);
        EXPECT_EQ(r.rc, ctl::kBadFile) << command.front() << ": " << r.err;
        EXPECT_EQ(r.out, "") << command.front() << ": no success line";
        EXPECT_NE(r.err.find("could not keep a change"), std::string::npos) << r.err;
        EXPECT_EQ(fileBytes(mouse), before) << command.front();
    }
    std::signal(SIGXFSZ, oldHandler);
}

} // namespace krm::test
