// Install and uninstall cycles in one session: each leaves the machine as it found it, with no Excel
// instance left, and none stumbles over what an earlier run left. (Each run is a new process, so
// what a program holds is soaked in-process, in forms_soak_test.cpp.)
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "setup_bench.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

constexpr int kCycles = 5;

// Every Excel instance of the run has ended, and its hidden window with it.
bool NothingLeftRunning(const ExcelBench& excel) {
    return InstancesLeftRunning(excel.settings.journal()) == 0 && WaitUntilNoExcelWindow(10s);
}

// What the Excel instances of the last cycle did, for a cycle that went wrong.
void PrintJournalTail(const ExcelBench& excel) {
    constexpr size_t kLines = 16;
    const auto lines = ReadJournalLines(excel.settings.journal());
    for (size_t i = lines.size() > kLines ? lines.size() - kLines : 0; i < lines.size(); ++i) {
        std::printf("journal: %s\n", Utf8(lines[i]).c_str());
    }
    std::fflush(stdout);
}

std::chrono::milliseconds RunCycle(const Medium& medium, const ExcelBench& excel) {
    const auto started = std::chrono::steady_clock::now();

    Process installer = StartFromMedium(medium, Program::Installer);
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
    EXPECT_EQ(FileNamesIn(excel.startupFolder()), (std::vector<std::wstring>{kAddInWorkbook, kMacroWorkbook}));
    EXPECT_TRUE(fs::exists(HelpFolder() / kHelpFile));
    EXPECT_TRUE(NothingLeftRunning(excel)) << "after the install";

    Process uninstaller = StartFromMedium(medium, Program::Uninstaller);
    Press(WaitForDesign(uninstaller, kUnInstallText, 20s), L"Ok");
    EXPECT_EQ(WaitForExit(uninstaller, kRunTimeout), kCompleted);
    EXPECT_TRUE(NothingLeftRunning(excel)) << "after the uninstall";

    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

TEST(Soak, InstallUninstallCyclesLeaveTheMachineAsItWas) {
    ExcelBench excel;
    TempFolder mediumFolder(L"medium");
    Medium medium(mediumFolder.path());
    fs::remove(HelpFolder() / kHelpFile);
    const auto startupBefore = FileNamesIn(excel.startupFolder());
    const auto helpBefore = FileNamesIn(HelpFolder());

    size_t hungServers = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        std::chrono::milliseconds took{};
        try {
            took = RunCycle(medium, excel);
        } catch (...) {
            PrintJournalTail(excel);
            throw;
        }
        std::printf("cycle %2d: %5lld ms\n", cycle, static_cast<long long>(took.count()));
        std::fflush(stdout);
        // A fault of the stand-in's own end, not of the programs (they have ended and their Excel
        // instances have said so): noted, and ended so that it holds nothing open.
        for (DWORD hung : EndStandInProcessesLeftBehind(excel)) {
            std::printf("cycle %2d: stand-in process %lu hung after its \"ended\" line; terminated\n", cycle, hung);
            ++hungServers;
        }
        EXPECT_EQ(FileNamesIn(excel.startupFolder()), startupBefore) << "cycle " << cycle;
        EXPECT_EQ(FileNamesIn(HelpFolder()), helpBefore) << "cycle " << cycle;
        if (::testing::Test::HasFailure()) {
            PrintJournalTail(excel);
            return;  // one broken cycle says it all; the rest would repeat it
        }
    }
    EXPECT_EQ(excel.InstancesStarted(), static_cast<size_t>(2 * kCycles)) << "one Excel instance per run";
    ::testing::Test::RecordProperty("stand_in_processes_hung_after_ended", static_cast<int>(hungServers));
}

}  // namespace
}  // namespace qh::testing
