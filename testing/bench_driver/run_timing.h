#pragma once
// Timed runs of the programs under test, and what a run costs in memory. Processor time is not
// read here: Wine 8's GetProcessTimes answers the caller's own times for another process's handle
// (seen: a child's "times" grew with the driver's own polling), so scripts/bench reads it from
// Linux's /proc instead, while a cost run holds the file named by QH_BENCH_COST_FLAG: its sampler
// stays idle during the timed runs.
#include <windows.h>

#include <chrono>
#include <filesystem>

namespace qh::testing {

using Clock = std::chrono::steady_clock;

struct RunTiming {
    DWORD exitCode = 0;
    // From just before CreateProcess.
    double toStartupWindowMs = 0;
    // The whole run, less the time a question waited for the driver's answer: to the process's
    // end, which waits for its Excel to end, and to its last window gone from the screen.
    double wholeRunMs = 0;
    double toLastWindowMs = 0;
    // From the progress window being shown until the process ended.
    double progressToExitMs = 0;
};

struct RunCost {
    DWORD exitCode = 0;
    double peakWorkingSetMb = 0;
    double peakPagefileMb = 0;
};

// The installer from its medium (no question is expected: no Excel window may be up); the
// uninstaller from its medium, its confirmation answered with "Ok".
RunTiming TimeInstall(const std::filesystem::path& medium);
RunTiming TimeUninstall(const std::filesystem::path& medium);
RunCost CostOfInstall(const std::filesystem::path& medium);
RunCost CostOfUninstall(const std::filesystem::path& medium);
// A peer program from the medium's folder, which asks nothing: toStartupWindowMs is the time to its
// first window on screen, whatever its size.
RunTiming TimePeer(const std::filesystem::path& medium, const wchar_t* program);
RunCost CostOfPeer(const std::filesystem::path& medium, const wchar_t* program);

}  // namespace qh::testing
