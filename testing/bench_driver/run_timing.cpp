#include "run_timing.h"

#include <psapi.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "setup_programs.h"
#include "test_handles.h"
#include "ui_driver/ui_driver.h"

namespace qh::testing {
namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 30s;
// The windows are told apart by their client sizes: reading a control's text would send the
// program messages. No Excel runs during the bench, so the Excel prompt (of the confirmation's
// size) never shows.
// Often enough to time to a few milliseconds, rarely enough to leave the processors to the program.
constexpr DWORD kWatchIntervalMs = 5;
constexpr DWORD kCostSampleIntervalMs = 100;
constexpr double kMegabyte = 1024.0 * 1024.0;

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

Process Start(const std::filesystem::path& medium, const wchar_t* program) {
    return StartProgram((medium / program).wstring(), medium.wstring());
}

void ClickOk(HWND question) {
    HWND ok = FindChildByText(question, L"Ok");
    if (!ok) Fail(L"the confirmation has no Ok button");
    ClickButton(ok);
}

// Watches the program's top-level windows every few milliseconds, looking only at what the system
// knows of them (owner, visibility, size). (Window events would cost nothing, but Wine 8 delivers no
// EVENT_OBJECT_SHOW to another process.)
class ShownWindows {
public:
    explicit ShownWindows(const Process& process) : process_(process) {}

    // When a window of that client size (of any size: none) was first seen shown, waiting for it
    // if need be.
    std::pair<HWND, Clock::time_point> WaitForShown(std::optional<SIZE> size, const std::wstring& what) {
        WindowFilter filter;
        filter.processId = process_.Pid();
        filter.clientSize = size;
        return Poll(
            [&]() -> std::optional<HWND> {
                const auto found = FindTopLevelWindows(filter);
                return found.empty() ? std::nullopt : std::optional<HWND>(found.front());
            },
            what);
    }

    // When the process ended, and when it was first seen without a window on screen.
    std::pair<Clock::time_point, Clock::time_point> WaitForEnd() {
        WindowFilter shown;
        shown.processId = process_.Pid();
        std::optional<Clock::time_point> lastWindowGone;
        const auto ended = Poll(
                               [&]() -> std::optional<HWND> {
                                   if (!lastWindowGone && FindTopLevelWindows(shown).empty()) {
                                       lastWindowGone = Clock::now();
                                   }
                                   if (::WaitForSingleObject(process_.Handle(), 0) != WAIT_OBJECT_0)
                                       return std::nullopt;
                                   return nullptr;
                               },
                               process_.Describe() + L" to end")
                               .second;
        return {ended, lastWindowGone.value_or(ended)};
    }

private:
    template <typename Probe>
    std::pair<HWND, Clock::time_point> Poll(Probe&& probe, const std::wstring& what) {
        const auto deadline = Clock::now() + kTimeout;
        for (;;) {
            if (const auto found = probe()) return {*found, Clock::now()};
            if (Clock::now() >= deadline) Fail(L"timed out after " + Milliseconds(kTimeout) + L" waiting for " + what);
            ::Sleep(kWatchIntervalMs);
        }
    }

    const Process& process_;
};

// Holds the file QH_BENCH_COST_FLAG names (when it names one) for as long as it lives.
class CostFlag {
public:
    CostFlag() {
        const auto path = EnvironmentVariable(L"QH_BENCH_COST_FLAG");
        if (!path) return;
        path_ = *path;
        const win32::UniqueFileHandle file(
            ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) Fail(L"cannot make the cost flag " + path_);
    }
    ~CostFlag() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    CostFlag(const CostFlag&) = delete;
    CostFlag& operator=(const CostFlag&) = delete;

private:
    std::wstring path_;
};

RunCost MeasureCost(const std::filesystem::path& medium, const wchar_t* program, bool confirm) {
    const CostFlag sampled;
    Process process = Start(medium, program);
    RunCost cost;
    SIZE_T peakWorkingSet = 0;
    SIZE_T peakPagefile = 0;
    const auto deadline = Clock::now() + kTimeout;
    bool answered = !confirm;
    for (;;) {
        // Each reading already holds the peak so far. Wine answers none once the process has
        // ended, so the last one is taken while it runs.
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (::GetProcessMemoryInfo(process.Handle(), &counters, sizeof(counters))) {
            peakWorkingSet = std::max(peakWorkingSet, counters.PeakWorkingSetSize);
            peakPagefile = std::max(peakPagefile, counters.PeakPagefileUsage);
        }
        if (!answered) {
            WindowFilter filter;
            filter.processId = process.Pid();
            filter.clientSize = kQuestionWindowSize;
            const auto found = FindTopLevelWindows(filter);
            if (!found.empty()) {
                ClickOk(found.front());
                answered = true;
            }
        }
        if (::WaitForSingleObject(process.Handle(), kCostSampleIntervalMs) == WAIT_OBJECT_0) break;
        if (Clock::now() >= deadline) Fail(L"timed out waiting for " + process.Describe() + L" to end");
    }
    cost.exitCode = WaitForExit(process, kTimeout);
    cost.peakWorkingSetMb = static_cast<double>(peakWorkingSet) / kMegabyte;
    cost.peakPagefileMb = static_cast<double>(peakPagefile) / kMegabyte;
    return cost;
}

}  // namespace

RunTiming TimeInstall(const std::filesystem::path& medium) {
    RunTiming timing;
    const auto started = Clock::now();
    Process installer = Start(medium, kInstallerFile);
    ShownWindows windows(installer);
    const auto startupWindow = windows.WaitForShown(kStartupWindowSize, L"the start-up window").second;
    const auto copying = windows.WaitForShown(kProgressWindowSize, L"the Copying window").second;
    const auto [ended, lastWindowGone] = windows.WaitForEnd();
    timing.toStartupWindowMs = Ms(startupWindow - started);
    timing.wholeRunMs = Ms(ended - started);
    timing.toLastWindowMs = Ms(lastWindowGone - started);
    timing.progressToExitMs = Ms(ended - copying);
    timing.exitCode = WaitForExit(installer, kTimeout);
    return timing;
}

RunTiming TimeUninstall(const std::filesystem::path& medium) {
    RunTiming timing;
    const auto started = Clock::now();
    Process uninstaller = Start(medium, kUninstallerFile);
    ShownWindows windows(uninstaller);
    const auto startupWindow = windows.WaitForShown(kStartupWindowSize, L"the start-up window").second;
    const auto [question, asked] = windows.WaitForShown(kQuestionWindowSize, L"the confirmation");
    const auto answered = Clock::now();
    ClickOk(question);
    const auto deleting = windows.WaitForShown(kProgressWindowSize, L"the Deleting window").second;
    const auto [ended, lastWindowGone] = windows.WaitForEnd();
    timing.toStartupWindowMs = Ms(startupWindow - started);
    timing.wholeRunMs = Ms(asked - started) + Ms(ended - answered);
    timing.toLastWindowMs = Ms(asked - started) + Ms(lastWindowGone - answered);
    timing.progressToExitMs = Ms(ended - deleting);
    timing.exitCode = WaitForExit(uninstaller, kTimeout);
    return timing;
}

RunCost CostOfInstall(const std::filesystem::path& medium) { return MeasureCost(medium, kInstallerFile, false); }

RunCost CostOfUninstall(const std::filesystem::path& medium) { return MeasureCost(medium, kUninstallerFile, true); }

RunTiming TimePeer(const std::filesystem::path& medium, const wchar_t* program) {
    RunTiming timing;
    const auto started = Clock::now();
    Process peer = Start(medium, program);
    ShownWindows windows(peer);
    const auto firstWindow = windows.WaitForShown(std::nullopt, L"a window").second;
    const auto [ended, lastWindowGone] = windows.WaitForEnd();
    timing.toStartupWindowMs = Ms(firstWindow - started);
    timing.wholeRunMs = Ms(ended - started);
    timing.toLastWindowMs = Ms(lastWindowGone - started);
    timing.exitCode = WaitForExit(peer, kTimeout);
    return timing;
}

RunCost CostOfPeer(const std::filesystem::path& medium, const wchar_t* program) {
    return MeasureCost(medium, program, false);
}

}  // namespace qh::testing
