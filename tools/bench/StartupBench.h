#pragma once

#include <string>
#include <vector>

namespace krm::bench {

// A program in the folder of the running benchmark (the build's bin folder).
std::string besideThisProgram(const char* name);

// The smallest, middle and largest of some measurements.
struct Spread {
    double min = 0, median = 0, max = 0;
};
Spread spread(std::vector<double> values);

// A process' peak memory (VmHWM), in MiB; 0 when it cannot be read.
double peakRssMiB(int pid);
// The processor time a process has used so far (user and system), in seconds.
double cpuSeconds(int pid);

// A private X server for the runs.
class Xvfb {
public:
    // Starts Xvfb on the first free display from :90 (installing the xvfb package when it is missing
    // and we may). Empty display() when it could not be started; why is in error().
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& display() const { return display_; }
    const std::string& error() const { return error_; }

private:
    int pid_ = -1;
    std::string display_;
    std::string error_;
};

struct StartupRun {
    double firstWindowMs = -1; // process start to the first mapped top-level window; -1 when none came
    double peakRssMiB = 0;     // VmHWM once the first presence poll has read the simulated mouse
    std::vector<std::string> glLibraries; // OpenGL implementation libraries found in the process' maps
    std::string error;                    // why the run has no figures
};

// Starts `program args` on `display`, waits for its first window to be mapped, lets it run
// `settleMs`, reads its peak memory and mapped libraries, and ends it.
StartupRun runOnce(const std::string& display, const std::string& program,
                   const std::vector<std::string>& args, int settleMs);

struct SkinPassTimes {
    double startupMs = 0;      // the first pass of the window's creation
    double medianSwitchMs = 0; // a language button's pass, median over switches between the three languages
    double maxSwitchMs = 0;
    double firstVisitMs = 0; // a whole language button the first time a look is shown (pictures decoded)
};

// Builds the window in this process (simulated mouse, real clock) and times its skin and language passes.
SkinPassTimes timeSkinPasses(int argc, char** argv, int switches);

} // namespace krm::bench
