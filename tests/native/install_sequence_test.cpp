#include <gtest/gtest.h>

#include <algorithm>

#include "core/setup_error.h"
#include "failure_injection.h"
#include "fake_platform.h"
#include "install/install_sequence.h"

namespace qh {
namespace {

using fake::FakePlatform;
using fake::MachineState;
using fake::UserAction;
using Calls = std::vector<std::wstring>;
using namespace std::chrono_literals;

const Calls kFullInstall = {
    L"Show Form1 modeless",
    L"FindWindowA XLMAIN",
    L"CreateObject excel.application",
    L"CreateObject Scripting.FileSystemObject",
    L"excel.StartupPath",
    L"ProgramFolder",
    L"fso.GetSpecialFolder 0",
    L"folder.Path",
    L"Show Copying modeless owner Form1",
    L"fso.CopyFile E:\\Setup\\QZ Macro.xls C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\ True",
    L"fso.CopyFile E:\\Setup\\QZ Function.xla C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\ True",
    L"fso.CopyFile E:\\Setup\\QuenzoHalvorn.chm C:\\Windows\\Help\\ True",
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
    auto platform = fake.platform();
    EXPECT_EQ(RunInstall(platform, record), Outcome::Completed);
    EXPECT_EQ(fake.journal.Calls(), kFullInstall);
    EXPECT_EQ(record.filesCopied,
              (Calls{L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls",
                     L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla",
                     L"C:\\Windows\\Help\\QuenzoHalvorn.chm"}));
    // The progress window paints for a second before the first file is touched.
    const auto shown = fake.journal.TimeOf(L"Show Copying modeless owner Form1");
    const auto firstCopy = fake.journal.TimeOf(kFullInstall[9]);
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
    auto platform = fake.platform();
    RunInstall(platform, record);
    const Calls calls = fake.journal.Calls();
    EXPECT_EQ(calls[9], L"fso.CopyFile E:\\QZ Macro.xls C:\\Start\\ True");
    EXPECT_EQ(calls[10], L"fso.CopyFile E:\\QZ Function.xla C:\\Start\\ True");
    EXPECT_EQ(calls[11], L"fso.CopyFile E:\\QuenzoHalvorn.chm C:\\Windows\\Help\\ True");
}

TEST(InstallSequence, CancelAtTheExcelPromptEndsBeforeAnyChangeOrExcelInstance) {
    MachineState state;
    state.excelWindowLooks = {true};
    state.answers[Form::ExitExcel] = {UserAction::ClickCancel};
    FakePlatform fake(state);
    RunRecord record;
    auto platform = fake.platform();
    EXPECT_EQ(RunInstall(platform, record), Outcome::Cancelled);
    EXPECT_EQ(fake.journal.Calls(), (Calls{L"Show Form1 modeless", L"FindWindowA XLMAIN",
                                           L"Show ExitExcel modal owner Form1", L"Tag ExitExcel",
                                           L"Unload ExitExcel", L"End"}));
    EXPECT_TRUE(record.filesCopied.empty());
}

TEST(InstallSequence, GuardLoopsUntilExcelIsClosedThenInstalls) {
    MachineState state;
    state.excelWindowLooks = {true, true, false};
    state.answers[Form::ExitExcel] = {UserAction::ClickOk, UserAction::CloseBox};
    FakePlatform fake(state);
    RunRecord record;
    auto platform = fake.platform();
    EXPECT_EQ(RunInstall(platform, record), Outcome::Completed);
    const Calls calls = fake.journal.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"Show ExitExcel modal owner Form1"), 2);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"FindWindowA XLMAIN"), 3);
    EXPECT_EQ(record.filesCopied.size(), 3u);
}

TEST(InstallSequence, EmptyFolderFromExcelOrTheFileSystemFailsBeforeAnyCopy) {
    for (int which = 0; which < 2; ++which) {
        MachineState state;
        (which == 0 ? state.excelStartupPath : state.windowsPath) = which == 0 ? L"" : L"\\";
        FakePlatform fake(state);
        RunRecord record;
        auto platform = fake.platform();
        EXPECT_THROW(RunInstall(platform, record), SetupError);
        const Calls calls = fake.journal.Calls();
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.find(L"CopyFile") != std::wstring::npos; }), 0);
        EXPECT_NE(std::find(calls.begin(), calls.end(), L"excel.Quit"), calls.end()) << "Excel left running";
        EXPECT_TRUE(record.filesCopied.empty());
    }
}

// Fails each call of the full run in turn: what ran before stays done, nothing after it runs,
// and an Excel instance that exists still gets Quit and is released.
TEST(InstallSequence, FailureAtAnyCallStopsThereAndStillQuitsExcel) {
    for (std::size_t failAt = 0; failAt < fake::CountFailableCalls(kFullInstall); ++failAt) {
        FakePlatform fake{MachineState{}};
        fake.journal.failAt = failAt;
        RunRecord record;
        auto platform = fake.platform();
        EXPECT_THROW(RunInstall(platform, record), SetupError) << "failing call " << failAt;
        const Calls calls = fake.journal.Calls();
        fake::ExpectStoppedAtFailure(kFullInstall, calls, failAt);
        // The record names exactly the copies that completed.
        EXPECT_EQ(record.filesCopied.size(), fake.state().existingFiles.size());
    }
}

}  // namespace
}  // namespace qh
