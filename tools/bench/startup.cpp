// Start-up of krmconfig with the simulated mouse under a private Xvfb: the time from the process'
// start to its first mapped window and to the first frame drawn in it, its peak resident memory once
// the first presence poll has read the mouse, and whether an OpenGL implementation was loaded; the same
// for two yardsticks started alternately in the same run: a bare Qt 6 frameless window of the same
// size, and that window drawing the background picture and one caption (the drawing floor: what no
// skinned window can skip, the picture's decoding, the font database's start, one font). The goals are
// stated against the drawing floor, as ratios taken run by run (a run and the floor's run beside it
// share the machine's load). Then, in this process, the duration of the window's skin and language pass.
//
//   krm_bench_startup [--runs N] [--settle MS] [--krmconfig PATH]

#include "StartupBench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

using krm::bench::besideThisProgram;
using krm::bench::Spread;
using krm::bench::spread;

namespace {

// Ratios of two series of runs, pair by pair.
std::vector<double> ratios(const std::vector<double>& ours, const std::vector<double>& floor) {
    std::vector<double> r;
    for (std::size_t i = 0; i < ours.size() && i < floor.size(); ++i)
        if (floor[i] > 0) r.push_back(ours[i] / floor[i]);
    return r;
}

// A runtime folder of the benchmark's own, so that a configurator already running for this user does
// not turn the runs into second starts (which only raise the first window).
struct PrivateRuntimeFolder {
    std::string path;
    PrivateRuntimeFolder() {
        char name[] = "/tmp/krm-bench-runtime-XXXXXX";
        if (::mkdtemp(name)) {
            path = name;
            ::setenv("XDG_RUNTIME_DIR", name, 1);
        }
    }
    ~PrivateRuntimeFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

int main(int argc, char** argv) {
    int runs = 10;
    int settleMs = 1500;
    std::string program = besideThisProgram("krmconfig");
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--settle") && i + 1 < argc)
            settleMs = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--krmconfig") && i + 1 < argc)
            program = argv[++i];
        else {
            std::fprintf(stderr, "usage: krm_bench_startup [--runs N] [--settle MS] [--krmconfig PATH]\n");
            return 2;
        }
    }

    const PrivateRuntimeFolder runtime;
    krm::bench::Xvfb xvfb;
    if (xvfb.display().empty()) {
        std::fprintf(stderr, "krm_bench_startup: %s\n", xvfb.error().c_str());
        return 1;
    }
    const std::vector<std::string> args{"--simulate"};
    const std::string bare = besideThisProgram("krm_bare_window");
    krm::bench::runOnce(xvfb.display(), program, args, 0); // warm-up: caches, font cache
    const std::vector<std::string> drawingArgs{
        "--picture", KRM_SOURCE_DIR "/resources/images/L1_BackGround.png", "--caption", "English"};
    krm::bench::runOnce(xvfb.display(), bare, {}, 0);
    krm::bench::runOnce(xvfb.display(), bare, drawingArgs, 0);
    std::vector<double> firstWindow, firstFrame, peak, bareWindow, bareFrame, barePeak, drawnWindow,
        drawnFrame, drawnPeak;
    std::set<std::string> gl;
    for (int i = 0; i < runs; ++i) {
        const auto run = krm::bench::runOnce(xvfb.display(), program, args, settleMs);
        const auto yardstick = krm::bench::runOnce(xvfb.display(), bare, {}, settleMs);
        const auto drawing = krm::bench::runOnce(xvfb.display(), bare, drawingArgs, settleMs);
        for (const auto* r : {&run, &yardstick, &drawing}) {
            if (!r->error.empty()) {
                std::fprintf(stderr, "krm_bench_startup: %s\n", r->error.c_str());
                return 1;
            }
        }
        firstWindow.push_back(run.firstWindowMs);
        firstFrame.push_back(run.firstFrameMs);
        peak.push_back(run.peakRssMiB);
        bareWindow.push_back(yardstick.firstWindowMs);
        bareFrame.push_back(yardstick.firstFrameMs);
        barePeak.push_back(yardstick.peakRssMiB);
        drawnWindow.push_back(drawing.firstWindowMs);
        drawnFrame.push_back(drawing.firstFrameMs);
        drawnPeak.push_back(drawing.peakRssMiB);
        gl.insert(run.glLibraries.begin(), run.glLibraries.end());
    }

    // The pass is timed on the same platform as the runs, so its first use of the fonts counts too.
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("QT_XCB_GL_INTEGRATION", "none", 1);
    const auto skin = krm::bench::timeSkinPasses(argc > 0 ? 1 : 0, argv, 30);

    const Spread w = spread(firstWindow), f = spread(firstFrame), m = spread(peak);
    // One program's figures (the frame line only where the X server reports drawing).
    const auto figures = [](const char* what, Spread window, Spread frame, Spread memory) {
        std::printf("%s:\n", what);
        std::printf("  first mapped window  %6.1f ms  (%.1f..%.1f)\n", window.median, window.min, window.max);
        if (frame.median > 0)
            std::printf("  first frame drawn    %6.1f ms  (%.1f..%.1f)\n", frame.median, frame.min,
                        frame.max);
        std::printf("  peak RSS             %6.1f MiB (%.1f..%.1f)\n", memory.median, memory.min, memory.max);
    };
    // Ours against a yardstick: time as the median of the runs' ratios, memory as the medians' difference.
    const auto against = [&](const char* name, const std::vector<double>& window,
                             const std::vector<double>& frame, Spread memory, const char* timeGoal,
                             const char* memoryGoal) {
        std::printf("krmconfig against the %s (time: ratios run by run, median, min..max):\n", name);
        const Spread rw = spread(ratios(firstWindow, window));
        std::printf("  first mapped window  %.2fx (%.2f..%.2f)%s\n", rw.median, rw.min, rw.max, timeGoal);
        if (f.median > 0) {
            const Spread rf = spread(ratios(firstFrame, frame));
            std::printf("  first frame drawn    %.2fx (%.2f..%.2f)%s\n", rf.median, rf.min, rf.max, timeGoal);
        }
        std::printf("  memory               %+.1f MiB%s\n", m.median - memory.median, memoryGoal);
    };
    std::printf("%d runs of each, alternating (median, min..max)\n", runs);
    figures("krmconfig --simulate under Xvfb", w, f, m);
    figures("a bare Qt 6 frameless window of the same size", spread(bareWindow), spread(bareFrame),
            spread(barePeak));
    figures("the same window drawing the background picture and one caption (the drawing floor)",
            spread(drawnWindow), spread(drawnFrame), spread(drawnPeak));
    against("bare window", bareWindow, bareFrame, spread(barePeak), "", "");
    against("drawing floor", drawnWindow, drawnFrame, spread(drawnPeak), "   goal <= 1.10x",
            "   goal <= +4 MiB");
    std::printf("  skin + language pass %6.2f ms at start-up, %.2f ms per language switch (max %.2f)   goal "
                "< 10 ms\n",
                skin.startupMs, skin.medianSwitchMs, skin.maxSwitchMs);
    std::printf("  first switch to a look, pass and its pictures decoded: %.2f ms\n", skin.firstVisitMs);
    if (gl.empty()) {
        std::printf("  OpenGL implementation: not loaded\n");
    } else {
        std::printf("  OpenGL implementation loaded:\n");
        for (const auto& lib : gl) std::printf("    %s\n", lib.c_str());
    }
    return 0;
}
