#pragma once

#include "companion/ProgramSource.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace krm {

// The processes of a /proc folder (a root path of its own, so tests hand it a fixture): each one's
// executable (the `exe` link) and the first word of its command line. Processes whose executable
// cannot be read (the kernel's, other users') are left out.
class ProcessTable {
public:
    explicit ProcessTable(std::string root = "/proc") : root_(std::move(root)) {}

    std::optional<ProgramInfo> program(int pid) const;
    std::vector<ProgramInfo> programs() const;

private:
    std::string root_;
    // The command line is read once per executable a process runs: a scan reads one link per process.
    mutable std::map<int, ProgramInfo> known_;
};

// Every running program, looked at every 2 s (while there are rules to look for).
class RunningPrograms final : public ProgramSource {
public:
    static constexpr int kIntervalMs = 2000;

    explicit RunningPrograms(const ProcessTable& processes) : processes_(processes) {}
    std::string description() const override { return "the running programs"; }
    std::vector<ProgramInfo> programs() override { return processes_.programs(); }
    int pollIntervalMs() const override { return kIntervalMs; }

private:
    const ProcessTable& processes_;
};

} // namespace krm
