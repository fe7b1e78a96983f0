#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <variant>

#include "core/closing_excel.h"
#include "core/help_file_step.h"
#include "core/medium_check.h"
#include "core/excel_instance.h"
#include "core/file_details.h"
#include "core/paths.h"
#include "core/setup_error.h"
#include "failure_injection.h"
#include "fake_platform.h"
#include "core/exit_codes.h"
#include "core/quiet_forms.h"
#include "core/run_switches.h"
#include "install/install_sequence.h"
#include "uninstall/uninstall_sequence.h"

namespace qh {
namespace {

using fake::FakePlatform;
using fake::HelpFolder;
using fake::MachineState;
using fake::UserAction;
using Calls = std::vector<std::wstring>;
using namespace std::chrono_literals;

std::ptrdiff_t Count(const Calls& calls, const std::wstring& call) {
    return std::count(calls.begin(), calls.end(), call);
}

Outcome Install(FakePlatform& fake, RunRecord& record) {
    auto platform = fake.platform();
    return RunInstall(platform, record);
}

const Calls kFullInstall = {
    L"Show Form1 modeless",
    L"FindWindowA XLMAIN",
    L"CreateObject excel.application",
    L"excel.Hwnd",
    L"CreateObject Scripting.FileSystemObject",
    L"excel.StartupPath",
    L"ProgramFolder",
    L"fso.GetSpecialFolder 0",
    L"folder.Path",
    L"Show Copying modeless owner Form1",
    L"fso.FolderExists C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART",
    L"ClearAttributes 3 C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls",
    L"fso.CopyFile E:\\Setup\\QZ Macro.xls C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\ True",
    L"ClearAttributes 3 C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls",
    L"RemoveStream Zone.Identifier C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls",
    L"ClearAttributes 3 C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla",
    L"fso.CopyFile E:\\Setup\\QZ Function.xla C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\ True",
    L"ClearAttributes 3 C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla",
    L"RemoveStream Zone.Identifier C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla",
    L"HoldSource E:\\Setup\\QuenzoHalvorn.chm",
    L"CopyBeside C:\\Windows\\Help\\QuenzoHalvorn.chm",
    L"ClearAttributes 3 C:\\Windows\\Help\\QuenzoHalvorn.chm",
    L"PutInPlace C:\\Windows\\Help\\QuenzoHalvorn.chm",
    L"ClearAttributes 3 C:\\Windows\\Help\\QuenzoHalvorn.chm",
    L"RemoveStream Zone.Identifier C:\\Windows\\Help\\QuenzoHalvorn.chm",
    L"excel.Quit",
    L"excel.Release",
    L"folder.Release",
    L"fso.Release",
    L"Unload Copying",
    L"End",
};

TEST(InstallSequence, FullRunMakesExactlyTheseCallsInThisOrder) {
    FakePlatform fake{MachineState{}};
    RunRecord record;
    EXPECT_EQ(Install(fake, record), Outcome::Completed);
    EXPECT_EQ(fake.journal.Calls(), kFullInstall);
    const std::wstring startup = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART";
    EXPECT_EQ(
        fake.logLines,
        (Calls{L"Excel started", L"Excel's start-up folder: " + startup, L"Installer folder: E:\\Setup",
               L"Windows folder: C:\\Windows", L"Copied E:\\Setup\\QZ Macro.xls to " + startup + L"\\QZ Macro.xls",
               L"Copied E:\\Setup\\QZ Function.xla to " + startup + L"\\QZ Function.xla",
               L"Copied E:\\Setup\\QuenzoHalvorn.chm to C:\\Windows\\Help\\QuenzoHalvorn.chm", L"Excel told to quit"}));
    EXPECT_EQ(record.filesCopied,
              (Calls{L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls",
                     L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla",
                     L"C:\\Windows\\Help\\QuenzoHalvorn.chm"}));
    // The progress window paints for a second before the first file is touched.
    const auto shown = fake.journal.TimeOf(L"Show Copying modeless owner Form1");
    const auto firstCopy = fake.journal.TimeOf(kFullInstall[12]);
    ASSERT_TRUE(shown && firstCopy);
    EXPECT_EQ(*firstCopy - *shown, 1000ms);
}

TEST(InstallSequence, FoldersWithTrailingBackslashOrAtADriveRootGiveSingleBackslashes) {
    MachineState state;
    state.excelStartupPath = L"C:\\Start\\";
    state.windowsPath = L"C:\\Windows\\";
    state.programFolder = L"E:\\";
    FakePlatform fake(state);
    RunRecord record;
    Install(fake, record);
    Calls copies;
    for (const auto& call : fake.journal.Calls()) {
        if (call.starts_with(L"fso.CopyFile") || call.starts_with(L"HoldSource") || call.starts_with(L"PutInPlace"))
            copies.push_back(call);
    }
    EXPECT_EQ(copies, (Calls{L"fso.CopyFile E:\\QZ Macro.xls C:\\Start\\ True",
                             L"fso.CopyFile E:\\QZ Function.xla C:\\Start\\ True", L"HoldSource E:\\QuenzoHalvorn.chm",
                             L"PutInPlace C:\\Windows\\Help\\QuenzoHalvorn.chm"}));
}

TEST(InstallSequence, CancelAtTheExcelPromptEndsBeforeAnyChangeOrExcelInstance) {
    MachineState state;
    state.excelWindowLooks = {true};
    state.answers[Form::ExitExcel] = {UserAction::ClickCancel};
    FakePlatform fake(state);
    RunRecord record;
    EXPECT_EQ(Install(fake, record), Outcome::Cancelled);
    EXPECT_EQ(fake.journal.Calls(),
              (Calls{L"Show Form1 modeless", L"FindWindowA XLMAIN", L"Show ExitExcel modal owner Form1",
                     L"Tag ExitExcel", L"Unload ExitExcel", L"End"}));
    EXPECT_TRUE(record.filesCopied.empty());
}

TEST(InstallSequence, GuardLoopsUntilExcelIsClosedThenInstalls) {
    MachineState state;
    state.excelWindowLooks = {true, true, false};
    state.answers[Form::ExitExcel] = {UserAction::ClickOk, UserAction::CloseBox};
    FakePlatform fake(state);
    RunRecord record;
    EXPECT_EQ(Install(fake, record), Outcome::Completed);
    const Calls calls = fake.journal.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"Show ExitExcel modal owner Form1"), 2);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"FindWindowA XLMAIN"), 3);
    EXPECT_EQ(record.filesCopied.size(), 3u);
}

TEST(InstallSequence, MissingStartupFolderIsCreatedLevelByLevel) {
    const std::wstring startup = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART";
    const std::wstring excel = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel";
    MachineState state;
    state.missingFolders = {startup, excel};
    FakePlatform fake(state);
    RunRecord record;
    EXPECT_EQ(Install(fake, record), Outcome::Completed);
    const Calls calls = fake.journal.Calls();
    const auto firstCopy =
        std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.starts_with(L"ClearAttributes"); });
    EXPECT_EQ(Calls(calls.begin() + 10, firstCopy),
              (Calls{L"fso.FolderExists " + startup, L"fso.FolderExists " + excel,
                     L"fso.FolderExists C:\\Users\\ann\\AppData\\Roaming\\Microsoft", L"fso.CreateFolder " + excel,
                     L"fso.CreateFolder " + startup}));
    EXPECT_EQ(record.foldersCreated, (Calls{excel, startup}));
    EXPECT_EQ(record.filesCopied.size(), 3u);
}

// Excel as it is met in the field. A busy Excel is asked again until it answers, but its creation
// only once (each request starts another Excel); one that has not answered within the minute,
// busy or silent, is ended rather than waited for or left running hidden, and the run fails with
// that. Only the kit's own Excel (process 1) is ended: never the others running beside it.
TEST(InstallSequence, ExcelThatIsBusyOrSilentIsWaitedForAMinuteAtMost) {
    const struct {
        const char* name;
        MachineState excel;
        const wchar_t* failedIn;  // the failing step; null: the run completes
        std::int32_t failure;
        const wchar_t* unanswered;  // the step whose first call Excel did not answer in time; null: none
        std::size_t copies;
        bool released;  // the Excel object is let go (its call came back once Excel was ended)
        bool ended;     // the kit's own Excel was ended
    } cases[] = {
        {"busy for 4 s at first", MachineState{.excelBusyFor = 4s}, nullptr, 0, nullptr, 3, true, false},
        {"refusing its creation", MachineState{.creationRefusals = 1}, L"CreateObject", kRetryLater, nullptr, 0, false,
         true},
        {"busy beyond the minute", MachineState{.excelBusyFor = 10min}, L"Hwnd", kCallRejected, L"excel.Hwnd", 0, true,
         true},
        {"silent at its start", MachineState{.excelSilentIn = L"CreateObject"}, L"Start excel.application", kNoAnswer,
         L"CreateObject excel.application", 0, false, true},
        {"silent in StartupPath", MachineState{.excelSilentIn = L"StartupPath"}, L"StartupPath", kNoAnswer,
         L"excel.StartupPath", 0, true, true},
        {"silent in StartupPath, its window unnamed",
         MachineState{.excelSilentIn = L"StartupPath", .excelNamesItsWindow = false}, L"StartupPath", kNoAnswer,
         L"excel.StartupPath", 0, true, true},
        {"silent in Quit", MachineState{.excelSilentIn = L"Quit"}, L"Quit", kNoAnswer, L"excel.Quit", 3, true, true},
        {"silent in Quit when a window fails", MachineState{.excelSilentIn = L"Quit", .windowFailsAt = 1500ms},
         L"WindowProc", 0, nullptr, 3, true, true},
        {"silent for good", MachineState{.excelSilentIn = L"StartupPath", .silentCallReturnsWhenEnded = false},
         L"StartupPath", kNoAnswer, L"excel.StartupPath", 0, false, true},
        // Waiting for its user in a window of its own: left running, for them to answer.
        {"silent at its start, behind a sign-in window",
         MachineState{.excelSilentIn = L"CreateObject", .excelShowsAWindow = true}, L"Start excel.application",
         kNoAnswer, nullptr, 0, false, false},
        {"silent in StartupPath, behind a sign-in window",
         MachineState{.excelSilentIn = L"StartupPath", .excelShowsAWindow = true}, L"StartupPath", kNoAnswer, nullptr,
         0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MachineState state = c.excel;
        // Beside it: another program's hidden Excel from before the run, the user's own started
        // just after the kit's, and another program's started while the kit waits.
        state.otherExcels = {{100, -5s}, {101, 1s, /*visible=*/true}, {102, 20s}};
        FakePlatform fake(state);
        RunRecord record;
        std::wstring failedIn;
        std::int32_t failure = 0;
        try {
            EXPECT_EQ(Install(fake, record), Outcome::Completed);
        } catch (const SetupError& error) {
            failedIn = error.Operation();
            failure = error.Code();
            // An Excel not ended is one that waits for its user, and the report says so.
            EXPECT_EQ(error.Kind() == FailureKind::ExcelWaiting, !c.ended);
            EXPECT_EQ(error.Aftermath().find(L"left running") != std::wstring::npos, !c.ended);
        }
        EXPECT_EQ(failedIn, c.failedIn ? c.failedIn : L"");
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(record.filesCopied.size(), c.copies);
        const Calls calls = fake.journal.Calls();
        const auto ended = std::find(calls.begin(), calls.end(), L"End process 1");
        EXPECT_EQ(ended != calls.end(), c.ended) << "the kit's own Excel ended";
        for (const auto* other : {L"End process 100", L"End process 101", L"End process 102"}) {
            EXPECT_EQ(Count(calls, other), 0) << "another Excel ended";
        }
        EXPECT_EQ(Count(calls, L"CreateObject excel.application"), 1) << "Excel's creation asked once";
        if (c.unanswered) {
            // A minute from the step's first call, not more; then nothing more is asked of it.
            const auto waited = *fake.journal.TimeOf(L"End process 1") - *fake.journal.TimeOf(c.unanswered);
            EXPECT_LE(waited, kExcelAnswerTime);
            EXPECT_GT(waited, kExcelAnswerTime - kBusyRetryPause - 1ms);
            EXPECT_EQ(
                std::count_if(ended, calls.end(),
                              [](const auto& call) { return call.starts_with(L"excel.") && call != L"excel.Release"; }),
                0);
        }
        EXPECT_EQ(Count(calls, L"excel.Release"), c.released ? 1 : 0);
        EXPECT_EQ(Count(calls, L"fso.Release"), Count(calls, L"CreateObject Scripting.FileSystemObject"));
        // A busy Excel is asked again after a pause, not in a spin.
        const auto asked = Count(calls, L"excel.Hwnd") + Count(calls, L"excel.StartupPath");
        EXPECT_LE(asked, kExcelAnswerTime / kBusyRetryPause + 2);
        EXPECT_LE(fake.pumpCalls, 2 * asked + 8);
    }
}

// Files as real media bring them: downloaded (marked), from a disc (read-only), over copies made
// read-only or hidden; and the failures a user can act on: a copy held open, the installer run
// from inside a zip, the scripting runtime missing, a mark that cannot be removed, no Help folder
// (which is not made), a folder the system names empty. Excel is made to quit whatever happens.
TEST(InstallSequence, CopiesAreTheKitsOwnFilesOrTheFailureIsNamedWhateverTheMachineGives) {
    const std::wstring startup = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\";
    const std::wstring help = L"C:\\Windows\\Help\\QuenzoHalvorn.chm";
    const std::wstring zip = L"C:\\Users\\ann\\AppData\\Local\\Temp\\Temp1_QuenzoHalvorn.zip";
    const auto markIsStuck =
        std::find(kFullInstall.begin(), kFullInstall.end(), L"RemoveStream Zone.Identifier " + help);
    const struct {
        const char* name;
        std::function<void(MachineState&, fake::Journal&)> medium;
        std::optional<FailureKind> failure;
        const wchar_t* failedOn;  // empty: a failure before any copy
        std::size_t copies;
        std::size_t logged;  // lines in the log; a failure itself is the program's to write
    } cases[] = {
        {"downloaded, from a disc, over hidden and read-only copies",
         [&](MachineState& s, fake::Journal&) {
             for (const wchar_t* name : {L"QZ Macro.xls", L"QZ Function.xla", L"QuenzoHalvorn.chm"}) {
                 s.markedFiles.insert(L"E:\\Setup\\" + std::wstring(name));
                 s.attributes[L"E:\\Setup\\" + std::wstring(name)] = kReadOnlyAttribute;
             }
             s.existingFiles = {help, startup + L"QZ Macro.xls"};
             s.attributes[help] = kReadOnlyAttribute | kHiddenAttribute;
             s.attributes[startup + L"QZ Macro.xls"] = kReadOnlyAttribute;
         },
         std::nullopt, nullptr, 3, 8},
        {"a copy held open", [&](MachineState& s, fake::Journal&) { s.filesInUse = {help}; }, FailureKind::InUse,
         L"QuenzoHalvorn.chm", 2, 6},
        {"run from inside a zip",
         [&](MachineState& s, fake::Journal&) {
             s.programFolder = zip;
             s.missingSources = {zip + L"\\QZ Macro.xls"};
         },
         FailureKind::NotExtracted, L"QZ Macro.xls", 0, 4},
        {"run from inside a zip, the temporary folder named in its short form",
         [&](MachineState& s, fake::Journal&) {
             s.programFolder = zip;
             s.missingSources = {zip + L"\\QZ Macro.xls"};
             s.temporaryFolder = L"C:\\Users\\ANN~1\\AppData\\Local\\Temp\\";
             s.longNames = {{L"C:\\Users\\ANN~1", L"C:\\Users\\ann"}};
         },
         FailureKind::NotExtracted, L"QZ Macro.xls", 0, 4},
        {"run from inside a zip, started by its short name",
         [&](MachineState& s, fake::Journal&) {
             s.programFolder = L"C:\\Users\\ANN~1\\AppData\\Local\\Temp\\TEMP1_~1.ZIP";
             s.missingSources = {s.programFolder + L"\\QZ Macro.xls"};
             s.longNames = {{L"C:\\Users\\ANN~1\\AppData\\Local\\Temp\\TEMP1_~1.ZIP", zip}};
         },
         FailureKind::NotExtracted, L"QZ Macro.xls", 0, 4},
        {"a medium without its files",
         [&](MachineState& s, fake::Journal&) { s.missingSources = {L"E:\\Setup\\QZ Macro.xls"}; },
         FailureKind::NotOnMedium, L"QZ Macro.xls", 0, 4},
        {"no scripting runtime", [&](MachineState& s, fake::Journal&) { s.scriptingRuntimeMissing = true; },
         FailureKind::NoScriptingRuntime, L"", 0, 0},
        {"a mark that cannot be removed",
         [&](MachineState&, fake::Journal& j) {
             j.failAt = static_cast<std::size_t>(markIsStuck - kFullInstall.begin());
         },
         FailureKind::Other, L"QuenzoHalvorn.chm", 3, 6},
        {"no Help folder", [&](MachineState& s, fake::Journal&) { s.missingFolders = {L"C:\\Windows\\Help"}; },
         FailureKind::FolderMissing, L"QuenzoHalvorn.chm", 2, 6},
        {"an empty start-up folder from Excel", [&](MachineState& s, fake::Journal&) { s.excelStartupPath = L""; },
         FailureKind::NoFolder, L"", 0, 1},
        {"a Windows folder of a bare backslash", [&](MachineState& s, fake::Journal&) { s.windowsPath = L"\\"; },
         FailureKind::NoFolder, L"", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake{MachineState{}};
        c.medium(fake.state(), fake.journal);
        RunRecord record;
        try {
            EXPECT_EQ(Install(fake, record), Outcome::Completed);
            EXPECT_FALSE(c.failure) << "no failure";
        } catch (const SetupError& error) {
            EXPECT_EQ(error.Kind(), c.failure);
            EXPECT_EQ(error.WhatWasDoing().name, c.failedOn ? c.failedOn : L"<no failure>");
        }
        EXPECT_EQ(record.filesCopied.size(), c.copies);
        EXPECT_TRUE(record.foldersCreated.empty());
        const Calls calls = fake.journal.Calls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), L"excel.Quit"), calls.end()) << "Excel left running";
        if (c.failedOn && !*c.failedOn) {
            EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                    [](const auto& call) { return call.find(L"CopyFile") != std::wstring::npos; }),
                      0);
        }
        EXPECT_EQ(fake.logLines.size(), c.logged);
        // Where copies were made before a failure, it met the help file, copied last: the log ends
        // with the step before it.
        if (c.failure && c.copies > 0) {
            EXPECT_TRUE(fake.logLines.back().starts_with(L"Copied E:\\Setup\\QZ Function.xla"));
        }
        if (c.failure) continue;
        for (const auto& installed : record.filesCopied) {
            EXPECT_EQ(fake.state().markedFiles.count(installed), 0u) << "marked as downloaded";
            EXPECT_EQ(fake.state().attributes[installed], 0u) << "read-only or hidden";
        }
    }
}

// Told to quit and let go, the Excel a run started ends a moment later. The run waits for it once
// its windows are gone (the program does, after a completed or a failed run), and ends it after
// 10 s, unless it asks its user something in a window of its own.
TEST(ClosingExcel, IsWaitedForAfterTheRunAndEndedWhenItLingers) {
    const struct {
        const char* name;
        MachineState excel;
        std::chrono::milliseconds waited;
        bool ended;
        const wchar_t* logged;  // the log's last line; null: none from the wait
    } cases[] = {
        {"ends at once", {}, 300ms, false, nullptr},
        {"after a failed run", {.missingSources = {L"E:\\Setup\\QZ Function.xla"}}, 300ms, false, nullptr},
        {"never ends by itself",
         {.excelEndsAfterRelease = std::nullopt},
         kExcelEndTime,
         true,
         L"Excel had not ended 10 s after it was let go, and was ended"},
        {"asks its user something as it quits",
         {.excelShowsAWindow = true, .excelEndsAfterRelease = std::nullopt},
         kExcelEndTime,
         false,
         L"Excel shows a window of its own, and was left running"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake(c.excel);
        RunRecord record;
        try {
            Install(fake, record);
        } catch (const SetupError&) {
        }
        const auto released = fake.journal.TimeOf(L"excel.Release");
        ASSERT_TRUE(released);
        const std::size_t logged = fake.logLines.size();
        fake.closingExcel.WaitUntilEnded(fake, fake);
        EXPECT_EQ(fake.journal.clock - *released, c.waited);
        EXPECT_EQ(Count(fake.journal.Calls(), L"End process 1"), c.ended ? 1 : 0);
        EXPECT_EQ(fake.logLines.size(), logged + (c.logged ? 1 : 0));
        EXPECT_EQ(fake.logLines.back(), c.logged ? c.logged : fake.logLines.back());
    }
}

TEST(RunSwitches, InAnyLetterCaseAndOrderWithSlashOrDash) {
    EXPECT_EQ(ArgumentsOf(LR"("C:\My Setup\QuenzoHalvornInstall.exe"  /quiet "-Q uoted")"),
              (std::vector<std::wstring>{L"/quiet", L"-Q uoted"}));
    const struct {
        std::vector<std::wstring> arguments;
        bool quiet;
        bool help;
        const wchar_t* logFile;
        const wchar_t* unknown;
    } cases[] = {
        {{}, false, false, L"", L""},
        {{L"/quiet"}, true, false, L"", L""},
        {{L"-QUIET", L"/?"}, true, true, L"", L""},
        {{L"/Log", L"C:\\a b.log", L"-Quiet"}, true, false, L"C:\\a b.log", L""},
        {{L"/quiet", L"/silent", L"/x"}, true, false, L"", L"/silent"},
        {{L"quiet"}, false, false, L"", L"quiet"},
        {{L"/quiet", L"/log"}, true, false, L"", L"/log"},
        {{L"/"}, false, false, L"", L"/"},
    };
    for (const auto& c : cases) {
        const RunSwitches switches = ParseSwitches(c.arguments);
        EXPECT_EQ(switches.quiet, c.quiet);
        EXPECT_EQ(switches.help, c.help);
        EXPECT_EQ(switches.logFile, c.logFile);
        EXPECT_EQ(switches.unknown, c.unknown);
    }
    const std::wstring help = SwitchesHelp(L"/silent", L"");
    EXPECT_TRUE(help.starts_with(L"Unknown argument: /silent"));
    // The help file's switch: alone only.
    EXPECT_TRUE(ParseSwitches({L"/elevated-help-file"}).helpFileStep);
    const RunSwitches beside = ParseSwitches({L"-Elevated-Help-File", L"C:\\x"});
    EXPECT_FALSE(beside.helpFileStep);
    EXPECT_EQ(beside.unknown, L"-Elevated-Help-File");
    for (const int code : {0, 1, 2, 3, 4, 5, 6, 87})
        EXPECT_NE(help.find(L"    " + std::to_wstring(code) + L"    "), std::wstring::npos);
}

// The administrators' guide lists the exit codes in the programs' own words: every code, and no other.
TEST(AdministratorsGuide, ExitCodeTableIsTheProgramsOwn) {
    std::ifstream guide(QH_ADMINISTRATORS_GUIDE);
    ASSERT_TRUE(guide) << QH_ADMINISTRATORS_GUIDE;
    std::map<int, std::string> listed;
    bool inTable = false;
    for (std::string line; std::getline(guide, line);) {
        if (line.starts_with("## ")) inTable = line == "## Exit codes";
        const std::size_t bar = line.find(" | ");
        if (!inTable || !line.starts_with("| ") || bar == std::string::npos || !std::isdigit(line[2])) continue;
        listed[std::stoi(line.substr(2, bar - 2))] = line.substr(bar + 3, line.size() - bar - 3 - 2);
    }
    std::map<int, std::string> own;
    for (int code = 0; code < kExitCodeLimit; ++code) {
        const std::wstring_view meaning = MeaningOf(static_cast<ExitCode>(code));
        for (const wchar_t c : meaning) own[code] += static_cast<char>(c);
    }
    EXPECT_EQ(listed, own);
}

// Runs for administrators. With nobody at the desk (/quiet): nothing is shown, no pause is made,
// the uninstaller's confirmation is the switch, and a running Excel stops the run before anything
// is started or changed. Run as another account or a service, or with no desktop a user sees: the
// help file alone is installed or removed, and Excel is never started or looked for.
TEST(AdministratorsRuns, QuietOrAsAnotherAccount) {
    const std::wstring help = L"C:\\Windows\\Help\\QuenzoHalvorn.chm";
    const RunContext user{};
    const RunContext noShell{.shell = ShellOwner::NoShell};
    const struct {
        const char* name;
        bool quiet;
        bool excelRuns;
        RunContext account;
        std::optional<Outcome> outcome;  // none: ExcelRunsUnattended
        std::size_t installed;           // files installed, and removed
        std::size_t removed;
    } cases[] = {
        {"quiet", true, false, user, Outcome::Completed, 3, 1},
        {"quiet, Excel runs", true, true, user, std::nullopt, 0, 0},
        {"another account, Excel runs",
         false,
         true,
         {.shell = ShellOwner::AnotherAccount},
         Outcome::HelpFileOnly,
         1,
         1},
        {"no shell, on the user's desktop", false, false, noShell, Outcome::Completed, 3, 1},
        {"no shell, on a service's station",
         true,
         false,
         {.shell = ShellOwner::NoShell, .interactiveStation = false},
         Outcome::HelpFileOnly,
         1,
         1},
        {"no shell, in the services' session",
         true,
         false,
         {.shell = ShellOwner::NoShell, .sessionZero = true},
         Outcome::HelpFileOnly,
         1,
         1},
    };
    for (const auto& c : cases) {
        for (const bool installing : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.name << (installing ? ", install" : ", uninstall"));
            MachineState state;
            state.existingFiles = {help};
            state.account = c.account;
            if (c.excelRuns) state.excelWindowLooks = {true};
            state.answers[Form::UnInstall] = {UserAction::ClickOk};
            FakePlatform fake(state);
            QuietForms quiet(fake);
            FormsRuntime& forms = c.quiet ? static_cast<FormsRuntime&>(quiet) : fake;
            Platform platform{fake, fake, forms, fake, fake, fake, fake, fake, fake.closingExcel, fake, fake};
            RunRecord record;
            const auto run = [&] { return installing ? RunInstall(platform, record) : RunUninstall(platform, record); };
            if (c.outcome) {
                EXPECT_EQ(run(), *c.outcome);
            } else {
                EXPECT_THROW(run(), ExcelRunsUnattended);
            }
            const Calls calls = fake.journal.Calls();
            if (c.quiet) {
                EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                        [](const auto& call) { return call.starts_with(L"Show"); }),
                          0);
                EXPECT_EQ(fake.journal.clock, 0ms) << "a pause with nobody to see it";
            }
            EXPECT_EQ(Count(calls, L"CreateObject excel.application"), c.outcome == Outcome::Completed ? 1 : 0);
            if (c.outcome == Outcome::HelpFileOnly) {
                EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                        [](const auto& call) {
                                            return call.find(L"excel") != std::wstring::npos ||
                                                   call.find(L"XLMAIN") != std::wstring::npos;
                                        }),
                          0);
                EXPECT_EQ(installing ? record.filesCopied : record.filesDeleted, (Calls{help}));
                EXPECT_EQ(Count(calls, L"fso.Release"), 1);
                EXPECT_EQ(Count(calls, L"folder.Release"), 1);
                if (!c.quiet) {
                    EXPECT_EQ(calls.back(), L"End");
                }
            }
            EXPECT_EQ(installing ? record.filesCopied.size() : record.filesDeleted.size(),
                      installing ? c.installed : c.removed);
        }
    }
}

// The help file is the one step that needs an administrator. Where Windows refuses this account
// the Help folder and someone can be asked, the program starts itself again as an administrator for
// that step alone, by a path an elevated process reaches; declined, with nobody to ask, or where
// Windows' policy asks nobody (User Account Control off, standard users denied), the run ends with
// the help file left to an administrator (exit code 6). An administrator's process that is
// refused fails there.
TEST(HelpFileStep, IsAnAdministratorsWhereWindowsRefusesThisAccountTheHelpFolder) {
    const std::wstring help = L"C:\\Windows\\Help\\QuenzoHalvorn.chm";
    const std::wstring local = L"E:\\Setup\\Setup.exe";
    const std::wstring share = L"\\\\server\\share\\Setup\\Setup.exe";
    const std::map<std::wstring, std::wstring> mapped = {{L"Z:", L"\\\\server\\share"}};
    const std::map<std::wstring, std::uint32_t> uacOff = {{kPolicyUacOn, 0}},
                                                usersDenied = {{kPolicyStandardUsersPrompt, 0}};
    const auto refused = [](MachineState s) {
        s.helpFolder = HelpFolder::AdministratorsOnly;
        return s;
    };
    constexpr auto kDone = Outcome::Completed;
    constexpr auto kNobody = NoAdministrator::NobodyToAsk;
    constexpr auto kNotAllowed = NoAdministrator::NotAllowed;
    const struct {
        const char* name;
        MachineState machine;
        bool quiet;
        std::variant<Outcome, FailureKind, NoAdministrator> end;  // NoAdministrator: the help file left, why
        std::wstring started;                                     // the program started as an administrator
    } cases[] = {
        {"writable", {}, false, kDone, L""},
        {"refused, an administrator confirms", refused({}), false, kDone, local},
        {"refused, declined", refused({.administratorDeclines = true}), false, NoAdministrator::Declined, local},
        {"refused, quiet", refused({}), true, kNobody, L""},
        {"refused, with no desktop", refused({.account = {.shell = ShellOwner::NoShell, .sessionZero = true}}), false,
         kNobody, L""},
        {"refused, User Account Control off", refused({.systemPolicies = uacOff}), false, kNotAllowed, L""},
        {"refused, standard users denied", refused({.systemPolicies = usersDenied}), false, kNotAllowed, L""},
        {"refused, a filtered token, standard users denied",
         refused({.limitedToken = true, .systemPolicies = usersDenied}), false, kDone, local},
        {"refused, the start refused without a prompt", refused({.administratorNotStarted = 5}), false, kNotAllowed,
         local},
        {"refused, the started copy not elevated", refused({.startsUnelevated = true}), false, kNotAllowed, local},
        {"refused to an administrator",
         {.helpFolder = HelpFolder::Locked, .elevated = true},
         false,
         FailureKind::HelpFolderDeniedToAdministrator,
         L""},
        {"refused, in use to the administrator's copy",
         refused({.administratorExitCode = HelpFileStepExitCode(FailureKind::InUse)}), false, FailureKind::InUse,
         local},
        {"refused, the administrator's copy running past the limit",
         refused({.administratorRunsFor = kAdministratorStepTime + 1min}), false,
         FailureKind::AdministratorStepUnfinished, local},
        {"refused, from a mapped drive", refused({.programFolder = L"Z:\\Setup", .mappedDrives = mapped}), false, kDone,
         share},
        {"refused, from a subst drive of a folder on a mapped drive",
         refused({.programFolder = L"S:\\Setup", .mappedDrives = mapped, .substDrives = {{L"S:", L"Z:\\Media\\"}}}),
         false, kDone, L"\\\\server\\share\\Media\\Setup\\Setup.exe"},
        {"refused, from a share the administrator cannot log on to",
         refused({.programFolder = L"Z:\\Setup", .mappedDrives = mapped, .administratorNotStarted = 1326}), false,
         FailureKind::ShareUnreadableToAdministrator, share},
        {"refused, from a share, the start refused without a prompt",
         refused({.programFolder = L"Z:\\Setup", .mappedDrives = mapped, .administratorNotStarted = 5}), false,
         kNotAllowed, share},
    };
    for (const auto& c : cases) {
        for (const bool installing : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.name << (installing ? ", install" : ", uninstall"));
            MachineState state = c.machine;
            state.existingFiles = {help};
            state.answers[Form::UnInstall] = {UserAction::ClickOk};
            FakePlatform fake(state);
            // Comes while the prompt is up (from 1 s to 3 s), where there is one.
            fake.pendingEvents = {1500ms};
            QuietForms quiet(fake);
            Platform platform{fake, fake, c.quiet ? static_cast<FormsRuntime&>(quiet) : fake,
                              fake, fake, fake,
                              fake, fake, fake.closingExcel,
                              fake, fake};
            RunRecord record;
            record.program = installing ? Program::Installer : Program::Uninstaller;
            std::variant<Outcome, FailureKind, NoAdministrator> end;
            try {
                end = installing ? RunInstall(platform, record) : RunUninstall(platform, record);
                if (end == decltype(end)(Outcome::HelpFileNeedsAdministrator)) end = record.whyLeft;
            } catch (const SetupError& failure) {
                end = failure.Kind();
            }
            EXPECT_EQ(end, c.end);
            Calls starts;
            for (const auto& call : fake.journal.Calls())
                if (call.starts_with(L"StartHelpFileStep")) starts.push_back(call);
            const std::wstring start =
                L"StartHelpFileStep " + c.started + L" owner " + (installing ? L"Copying" : L"Deleting");
            EXPECT_EQ(starts, c.started.empty() ? Calls{} : Calls{start});
            for (const auto handled : fake.handledEvents) EXPECT_EQ(handled, 1500ms) << "the windows stopped painting";
            const auto& done = installing ? record.filesCopied : record.filesDeleted;
            EXPECT_EQ(std::count(done.begin(), done.end(), help), c.end == decltype(c.end)(kDone) ? 1 : 0);
            const auto* why = std::get_if<NoAdministrator>(&c.end);
            EXPECT_EQ(record.helpFileLeft, why ? help : L"");
            if (!why) continue;
            // The message and the log say that policy asks nobody; a "Run as administrator" from
            // this desktop would be refused too.
            const std::wstring message = DescribeHelpFileLeft(record), policy = L"policy allows no request";
            EXPECT_EQ(message.find(L"Run as administrator") == std::wstring::npos, *why == kNotAllowed);
            EXPECT_EQ(message.find(policy) != std::wstring::npos, *why == kNotAllowed);
            EXPECT_EQ(std::any_of(fake.logLines.begin(), fake.logLines.end(),
                                  [&](const auto& line) { return line.find(policy) != std::wstring::npos; }),
                      *why == kNotAllowed);
        }
    }
}

// A release build carries the sums of the add-in files it was made with and checks the medium
// against them first: a file that differs, or is missing or unreadable, or sums that cannot be
// read, stop the run before Excel is looked for and before any file is touched. The help file is
// checked again where it is copied alone (as by the program started as an administrator).
TEST(MediumCheck, RefusesADamagedOrChangedMediumBeforeAnythingChanges) {
    const std::wstring medium = L"E:\\Setup\\";
    const auto shipped = [](MachineState s) {
        s.carriedSums = fake::ShippedSums();
        return s;
    };
    const struct {
        const char* name;
        MachineState machine;
        std::optional<FailureKind> failure;
        const wchar_t* failedOn;
    } cases[] = {
        {"as shipped", shipped({}), std::nullopt, nullptr},
        {"a build without sums, a changed file", {.changedFiles = {medium + L"QZ Macro.xls"}}, std::nullopt, nullptr},
        {"the macro workbook changed", shipped({.changedFiles = {medium + L"QZ Macro.xls"}}),
         FailureKind::MediumChanged, L"QZ Macro.xls"},
        {"the add-in workbook changed", shipped({.changedFiles = {medium + L"QZ Function.xla"}}),
         FailureKind::MediumChanged, L"QZ Function.xla"},
        {"the help file changed", shipped({.changedFiles = {medium + L"QuenzoHalvorn.chm"}}),
         FailureKind::MediumChanged, L"QuenzoHalvorn.chm"},
        {"the help file changed, as the administrator's copy meets it",
         shipped({.changedFiles = {medium + L"QuenzoHalvorn.chm"}, .elevated = true}), FailureKind::MediumChanged,
         L"QuenzoHalvorn.chm"},
        // A racer that swaps the file once it has been read, or puts a link in its place.
        {"the help file swapped once read, as the administrator's copy meets it",
         shipped({.elevated = true, .swappedOnceRead = {medium + L"QuenzoHalvorn.chm"}}), std::nullopt, nullptr},
        {"a link in the help file's place, as the administrator's copy meets it",
         shipped({.elevated = true, .linkedFiles = {medium + L"QuenzoHalvorn.chm"}}), FailureKind::LinkOnMedium,
         L"QuenzoHalvorn.chm"},
        {"a file missing", shipped({.missingSources = {medium + L"QZ Function.xla"}}), FailureKind::NotOnMedium,
         L"QZ Function.xla"},
        {"a file unreadable", shipped({.unreadableFiles = {medium + L"QuenzoHalvorn.chm"}}), FailureKind::AccessDenied,
         L"QuenzoHalvorn.chm"},
        {"sums that cannot be read", {.carriedSums = "0123  QZ Macro.xls\n"}, FailureKind::BrokenBuild, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake(c.machine);
        RunRecord record;
        auto platform = fake.platform();
        try {
            // The program started as an administrator does the help file alone.
            if (c.machine.elevated) {
                InstallHelpFileOnly(platform, record);
            } else {
                EXPECT_EQ(RunInstall(platform, record), Outcome::Completed);
            }
            EXPECT_FALSE(c.failure) << "no failure";
            EXPECT_EQ(record.filesCopied.size(), c.machine.elevated ? 1u : 3u);
            for (const auto& file : record.filesCopied) {
                if (!c.machine.carriedSums) break;
                EXPECT_EQ(fake.state().installedSums[file], fake::ShippedSumOf(FileNameOf(file)))
                    << "written from bytes nobody checked";
            }
        } catch (const SetupError& failure) {
            EXPECT_EQ(failure.Kind(), c.failure);
            EXPECT_EQ(failure.WhatWasDoing().name, c.failedOn ? c.failedOn : L"<no failure>");
            const Calls calls = fake.journal.Calls();
            EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                    [](const auto& call) {
                                        return call.starts_with(L"FindWindowA") ||
                                               call.starts_with(L"CreateObject excel") ||
                                               call.starts_with(L"fso.CopyFile") || call.starts_with(L"PutInPlace");
                                    }),
                      0)
                << "Excel asked about or a file touched";
            EXPECT_TRUE(record.filesCopied.empty());
        }
        if (c.failure == FailureKind::MediumChanged) {
            const std::string sum = fake::ShippedSumOf(c.failedOn);
            EXPECT_NE(fake.logLines.back().find(std::wstring(sum.begin(), sum.end())), std::wstring::npos);
        }
    }
    EXPECT_TRUE(ParseCarriedSums(fake::ShippedSums()));
    for (const std::string& malformed : {fake::ShippedSums() + fake::ShippedSums(), fake::ShippedSums().substr(1),
                                         std::string(), fake::ShippedSums().replace(70, 5, "Other")}) {
        EXPECT_FALSE(ParseCarriedSums(malformed)) << malformed;
    }
}

// Fails each call of the full run in turn: what ran before stays done, nothing after it runs,
// and an Excel instance that exists still gets Quit and is released.
TEST(InstallSequence, FailureAtAnyCallStopsThereAndStillQuitsExcel) {
    for (std::size_t failAt = 0; failAt < fake::CountFailableCalls(kFullInstall); ++failAt) {
        FakePlatform fake{MachineState{}};
        fake.journal.failAt = failAt;
        RunRecord record;
        EXPECT_THROW(Install(fake, record), SetupError) << "failing call " << failAt;
        const Calls calls = fake.journal.Calls();
        fake::ExpectStoppedAtFailure(kFullInstall, calls, failAt);
        // The record names exactly the copies that completed.
        EXPECT_EQ(record.filesCopied.size(), fake.state().existingFiles.size());
    }
}

}  // namespace
}  // namespace qh
