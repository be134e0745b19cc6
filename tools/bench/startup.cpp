// Start-up of krmconfig with the simulated mouse under a private Xvfb: the time from the process'
// start to its first mapped window, its peak resident memory once the first presence poll has read
// the mouse, and whether an OpenGL implementation was loaded; the same for two yardsticks started
// alternately in the same run, with our ratio to each: a bare Qt 6 frameless window of the same size,
// and that window drawing the background picture and one caption (what no skinned window can skip: the
// picture's decoding, the font database's start, one font); then, in this process, the duration of the
// window's skin and language pass.
//
//   krm_bench_startup [--runs N] [--settle MS] [--krmconfig PATH]

#include "StartupBench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

using krm::bench::besideThisProgram;
using krm::bench::Spread;
using krm::bench::spread;

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
    std::vector<double> firstWindow, peak, bareWindow, barePeak, drawnWindow, drawnPeak;
    std::set<std::string> gl;
    for (int i = 0; i < runs; ++i) {
        const auto run = krm::bench::runOnce(xvfb.display(), program, args, settleMs);
        const auto yardstick = krm::bench::runOnce(xvfb.display(), bare, {}, settleMs);
        const auto drawing = krm::bench::runOnce(xvfb.display(), bare, drawingArgs, settleMs);
        for (const auto* r : {&run, &yardstick, &drawing}) {
            if (r->firstWindowMs < 0) {
                std::fprintf(stderr, "krm_bench_startup: %s\n", r->error.c_str());
                return 1;
            }
        }
        firstWindow.push_back(run.firstWindowMs);
        peak.push_back(run.peakRssMiB);
        bareWindow.push_back(yardstick.firstWindowMs);
        barePeak.push_back(yardstick.peakRssMiB);
        drawnWindow.push_back(drawing.firstWindowMs);
        drawnPeak.push_back(drawing.peakRssMiB);
        gl.insert(run.glLibraries.begin(), run.glLibraries.end());
    }

    // The pass is timed on the same platform as the runs, so its first use of the fonts counts too.
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("QT_XCB_GL_INTEGRATION", "none", 1);
    const auto skin = krm::bench::timeSkinPasses(argc > 0 ? 1 : 0, argv, 30);

    const Spread w = spread(firstWindow), m = spread(peak), bw = spread(bareWindow), bm = spread(barePeak),
                 dw = spread(drawnWindow), dm = spread(drawnPeak);
    std::printf("krmconfig --simulate under Xvfb, %d runs (median, min..max):\n", runs);
    std::printf("  first mapped window  %6.1f ms  (%.1f..%.1f)   goal <= 75 ms\n", w.median, w.min, w.max);
    std::printf("  peak RSS             %6.1f MiB (%.1f..%.1f)   goal <= 45 MiB\n", m.median, m.min, m.max);
    // A yardstick's own figures, then ours against them (with the goal, where there is one).
    const auto against = [&w, &m](const char* what, const char* name, Spread time, Spread memory,
                                  const char* timeGoal, const char* memoryGoal) {
        std::printf("%s, same runs:\n", what);
        std::printf("  first mapped window  %6.1f ms  (%.1f..%.1f)\n", time.median, time.min, time.max);
        std::printf("  peak RSS             %6.1f MiB (%.1f..%.1f)\n", memory.median, memory.min, memory.max);
        std::printf("krmconfig against the %s:\n", name);
        std::printf("  time   %.2fx%s\n", time.median > 0 ? w.median / time.median : 0.0, timeGoal);
        std::printf("  memory %+.1f MiB%s\n", m.median - memory.median, memoryGoal);
    };
    against("a bare Qt 6 frameless window of the same size", "bare window", bw, bm, "   goal <= 1.25x",
            "   goal <= +8 MiB");
    against("the same window drawing the background picture and one caption", "drawing window", dw, dm, "",
            "");
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
