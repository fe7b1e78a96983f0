// BenchDriver <runs> <medium, 3 KB help file> <medium, 1 MB help file> <medium, 100 MB help file>
//             <a 20 MB workbook>
// Times the installer and the uninstaller under Wine with the stand-in Excel, and Excel's own start
// as the programs make it, and prints one "measure <key> <median> <min> <max>" line per figure
// (milliseconds, or megabytes for memory) for scripts/bench, which adds processor time and cp.
// Each medium folder holds both programs and the three add-in files.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/excel_instance.h"
#include "run_timing.h"
#include "setup_programs.h"
#include "stand_in_control.h"
#include "statistics.h"
#include "ui_driver/ui_driver.h"
#include "win32/call_thread.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"
#include "forms/forms_runtime.h"
#include "win32/find_window_lookup.h"
#include "win32/win32_accounts.h"
#include "win32/sha256.h"
#include "win32/win32_elevation.h"
#include "win32/win32_file_details.h"
#include "win32/win32_processes.h"

namespace {

namespace fs = std::filesystem;
using namespace qh::testing;
using namespace std::chrono_literals;

// The settle pause both programs make while their progress window is up.
constexpr double kSettlePauseMs = 1000.0;

struct Medium {
    const char* key;
    fs::path folder;
};

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// Each run starts on a quiet machine: the last Excel instance has ended and its window is gone,
// or the next program would ask the user to close it.
void WaitUntilQuiet(const std::wstring& journal) {
    if (InstancesLeftRunning(journal) != 0) Fail(L"an Excel instance is still running");
    if (!WaitUntilNoExcelWindow(10s)) Fail(L"an XLMAIN window is left");
}

template <typename Run>
const Run& Expect(const Run& run, const std::wstring& what) {
    if (run.exitCode != 0) Fail(L"the " + what + L" ended with exit code " + std::to_wstring(run.exitCode));
    return run;
}

template <typename Run>
std::vector<double> Each(const std::vector<Run>& runs, double Run::*field, double less = 0) {
    std::vector<double> values;
    for (const auto& run : runs) values.push_back(run.*field - less);
    return values;
}

void PrintProgram(const std::string& program, const std::vector<RunTiming>& runs, const std::vector<RunCost>& costs,
                  double excelRoundTripMs) {
    PrintMeasure(program + ".to_startup_window", Summarise(Each(runs, &RunTiming::toStartupWindowMs)));
    PrintMeasure(program + ".whole_run", Summarise(Each(runs, &RunTiming::wholeRunMs)));
    PrintMeasure(program + ".to_last_window", Summarise(Each(runs, &RunTiming::toLastWindowMs)));
    PrintMeasure(program + ".outside_pause_and_excel",
                 Summarise(Each(runs, &RunTiming::wholeRunMs, kSettlePauseMs + excelRoundTripMs)));
    PrintMeasure(program + ".peak_working_set", Summarise(Each(costs, &RunCost::peakWorkingSetMb)));
    PrintMeasure(program + ".peak_pagefile", Summarise(Each(costs, &RunCost::peakPagefileMb)));
}

// Excel's part of a run, made as the programs make it: start the instance, read StartupPath, Quit,
// and wait until it has ended.
std::vector<double> TimeExcel(int runs, const std::wstring& journal, std::vector<double>& startOnly) {
    qh::win32::ComApartment apartment;
    // The programs' platform, without their windows.
    qh::forms::Win32Forms forms(::GetModuleHandleW(nullptr), {}, qh::forms::LayoutScale(96));
    qh::win32::FindWindowLookup windows;
    qh::win32::DispatchFactory objects;
    qh::win32::Win32CallThread excelCalls;
    qh::win32::Win32Processes processes;
    qh::win32::Win32FileDetails files;
    qh::NoRunLog log;
    qh::win32::Win32Accounts accounts;
    qh::ClosingExcel closingExcel;
    qh::win32::Win32Elevation elevation([&forms](qh::Form form) { return forms.WindowOf(form); });
    qh::win32::Win32CallThread promptCalls;
    qh::Platform platform{windows, objects,  forms,        excelCalls, processes,  files,
                          log,     accounts, closingExcel, elevation,  promptCalls};
    std::vector<double> roundTrips;
    for (int run = 0; run < runs; ++run) {
        WaitUntilQuiet(journal);
        const auto started = Clock::now();
        qh::ExcelInstance excel(platform);
        const auto created = Clock::now();
        excel.StartupPath();
        excel.Quit();
        excel.Release();
        closingExcel.WaitUntilEnded(forms, log);
        const auto done = Clock::now();
        startOnly.push_back(Ms(created - started));
        roundTrips.push_back(Ms(done - started));
    }
    return roundTrips;
}

// The installer beside its peers, run for run in turn so that all meet the same machine: a bare
// window for a second, the installer's platform calls alone, and the same job as an NSIS installer.
void BenchPeers(int runs, const fs::path& medium, const std::wstring& journal) {
    struct Peer {
        const char* key;
        const wchar_t* file;
        std::vector<RunTiming> timings;
        std::vector<RunCost> costs;
    };
    Peer peers[] = {{"peer.bare", L"BareWindow.exe", {}, {}},
                    {"peer.floor", L"FloorInstall.exe", {}, {}},
                    {"peer.nsis", L"QuenzoHalvornNsis.exe", {}, {}}};
    std::vector<RunTiming> installs;
    std::vector<RunCost> installCosts;
    for (int run = 0; run < runs; ++run) {
        WaitUntilQuiet(journal);
        // Timed as the peers are, to its first window of any kind: it asks nothing while no Excel runs.
        installs.push_back(Expect(TimePeer(medium, kInstallerFile), L"installer"));
        WaitUntilQuiet(journal);
        installCosts.push_back(Expect(CostOfPeer(medium, kInstallerFile), L"installer"));
        for (Peer& peer : peers) {
            WaitUntilQuiet(journal);
            peer.timings.push_back(Expect(TimePeer(medium, peer.file), peer.file));
            WaitUntilQuiet(journal);
            peer.costs.push_back(Expect(CostOfPeer(medium, peer.file), peer.file));
        }
    }
    const auto print = [](const std::string& key, const std::vector<RunTiming>& timings,
                          const std::vector<RunCost>& costs) {
        PrintMeasure(key + ".first_window", Summarise(Each(timings, &RunTiming::toStartupWindowMs)));
        PrintMeasure(key + ".whole_run", Summarise(Each(timings, &RunTiming::wholeRunMs)));
        PrintMeasure(key + ".peak_working_set", Summarise(Each(costs, &RunCost::peakWorkingSetMb)));
    };
    print("peer.installer", installs, installCosts);
    for (const Peer& peer : peers) print(peer.key, peer.timings, peer.costs);
}

// What the installer's check of its medium costs: the SHA-256 of one file, as the installer makes
// it, of each size (the files are in the system's cache by then, as the medium's are once read).
void TimeChecks(int runs, const std::vector<std::pair<const char*, fs::path>>& files) {
    for (const auto& [key, file] : files) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            const auto started = Clock::now();
            qh::win32::Sha256 sha256;
            sha256.OfFile(file.wstring());
            times.push_back(Ms(Clock::now() - started));
        }
        PrintMeasure(std::string("check.") + key, Summarise(times));
    }
}

int Bench(int runs, const std::vector<Medium>& media) {
    StandInSettingsScope settings;
    settings.SetJournal();
    const fs::path startupFolder = fs::temp_directory_path() / L"qh-bench-xlstart";
    fs::create_directories(startupFolder);
    settings.SetStartupPath(startupFolder.wstring());

    // One cycle first, not counted: the first start of each program in a session fills caches.
    WaitUntilQuiet(settings.journal());
    Expect(TimeInstall(media.front().folder), L"installer");
    WaitUntilQuiet(settings.journal());
    Expect(TimeUninstall(media.front().folder), L"uninstaller");

    std::vector<double> excelStart;
    const std::vector<double> excelRoundTrip = TimeExcel(runs, settings.journal(), excelStart);
    const double excelMs = Summarise(excelRoundTrip).median;
    PrintMeasure("excel.start", Summarise(excelStart));
    PrintMeasure("excel.round_trip", Summarise(excelRoundTrip));

    for (const auto& medium : media) {
        std::vector<RunTiming> installs;
        std::vector<RunTiming> uninstalls;
        for (int run = 0; run < runs; ++run) {
            WaitUntilQuiet(settings.journal());
            installs.push_back(Expect(TimeInstall(medium.folder), L"installer"));
            // Every copy lands where no earlier copy is: the uninstaller removes it.
            WaitUntilQuiet(settings.journal());
            uninstalls.push_back(Expect(TimeUninstall(medium.folder), L"uninstaller"));
        }
        PrintMeasure(std::string("copying_to_exit.") + medium.key,
                     Summarise(Each(installs, &RunTiming::progressToExitMs)));
        if (&medium != &media.front()) continue;
        std::vector<RunCost> installCosts;
        std::vector<RunCost> uninstallCosts;
        for (int run = 0; run < runs; ++run) {
            WaitUntilQuiet(settings.journal());
            installCosts.push_back(Expect(CostOfInstall(medium.folder), L"installer"));
            WaitUntilQuiet(settings.journal());
            uninstallCosts.push_back(Expect(CostOfUninstall(medium.folder), L"uninstaller"));
        }
        PrintProgram("install", installs, installCosts, excelMs);
        PrintProgram("uninstall", uninstalls, uninstallCosts, excelMs);
    }
    BenchPeers(runs, media.front().folder, settings.journal());
    WaitUntilQuiet(settings.journal());
    std::error_code ignored;
    fs::remove_all(startupFolder, ignored);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6 || std::wcstol(argv[1], nullptr, 10) < 1) {
        std::fwprintf(stderr, L"usage: BenchDriver <runs> <medium 3KB> <medium 1MB> <medium 100MB> <workbook 20MB>\n");
        return 2;
    }
    try {
        const int runs = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
        const fs::path medium3KB = WinePathFromUnix(argv[2]), medium1MB = WinePathFromUnix(argv[3]),
                       medium100MB = WinePathFromUnix(argv[4]);
        TimeChecks(runs, {{"3KB", medium3KB / L"QZ Macro.xls"},
                          {"1MB", medium1MB / L"QuenzoHalvorn.chm"},
                          {"20MB", WinePathFromUnix(argv[5])},
                          {"100MB", medium100MB / L"QuenzoHalvorn.chm"}});
        return Bench(runs, {{"3KB", medium3KB}, {"1MB", medium1MB}, {"100MB", medium100MB}});
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench: %s\n", failure.what());
        return 1;
    }
}
