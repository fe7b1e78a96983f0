#include <gtest/gtest.h>

#include <algorithm>

#include "core/excel_instance.h"
#include "core/setup_error.h"
#include "failure_injection.h"
#include "fake_platform.h"
#include "uninstall/uninstall_sequence.h"

namespace qh {
namespace {

using fake::FakePlatform;
using fake::MachineState;
using fake::UserAction;
using Calls = std::vector<std::wstring>;
using namespace std::chrono_literals;

const std::wstring kMacro = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Macro.xls";
const std::wstring kAddIn = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\QZ Function.xla";
const std::wstring kHelp = L"C:\\Windows\\Help\\QuenzoHalvorn.chm";

MachineState Installed(std::set<std::wstring> files, UserAction confirmation = UserAction::ClickOk) {
    MachineState state;
    state.existingFiles = std::move(files);
    state.answers[Form::UnInstall] = {confirmation};
    return state;
}

Calls FullUninstall() {
    return {
        L"Show Form1 modeless",
        L"Show UnInstall modal owner Form1",
        L"Tag UnInstall",
        L"Unload UnInstall",
        L"FindWindowA XLMAIN",
        L"Show Deleting modeless owner Form1",
        L"CreateObject excel.application",
        L"excel.Hwnd",
        L"CreateObject Scripting.FileSystemObject",
        L"fso.GetSpecialFolder 0",
        L"folder.Path",
        L"excel.StartupPath",
        L"fso.FileExists " + kMacro,
        L"fso.DeleteFile " + kMacro,
        L"fso.FileExists " + kAddIn,
        L"fso.DeleteFile " + kAddIn,
        L"fso.FileExists " + kHelp,
        L"fso.DeleteFile " + kHelp,
        L"excel.Quit",
        L"excel.Release",
        L"fso.Release",
        L"folder.Release",
        L"Unload Deleting",
        L"End",
    };
}

Outcome Uninstall(FakePlatform& fake, RunRecord& record) {
    auto platform = fake.platform();
    return RunUninstall(platform, record);
}

TEST(UninstallSequence, FullRunMakesExactlyTheseCallsInThisOrder) {
    FakePlatform fake(Installed({kMacro, kAddIn, kHelp}));
    RunRecord record;
    EXPECT_EQ(Uninstall(fake, record), Outcome::Completed);
    EXPECT_EQ(fake.journal.Calls(), FullUninstall());
    EXPECT_EQ(fake.logLines.size(), 7u);
    EXPECT_EQ(fake.logLines[3], L"Removed " + kMacro);
    EXPECT_EQ(record.filesDeleted, (Calls{kMacro, kAddIn, kHelp}));
    EXPECT_TRUE(fake.state().existingFiles.empty());
}

TEST(UninstallSequence, DeletesOnlyTheFilesThatExist) {
    FakePlatform fake(Installed({kHelp, L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART\\Other.xls"}));
    RunRecord record;
    EXPECT_EQ(Uninstall(fake, record), Outcome::Completed);
    const Calls calls = fake.journal.Calls();
    EXPECT_EQ(
        std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.rfind(L"fso.DeleteFile", 0) == 0; }), 1);
    EXPECT_EQ(record.filesDeleted, (Calls{kHelp}));
    EXPECT_EQ(fake.state().existingFiles.size(), 1u);
    EXPECT_EQ(Calls(fake.logLines.begin() + 3, fake.logLines.begin() + 6),
              (Calls{L"Not installed, so not removed: " + kMacro, L"Not installed, so not removed: " + kAddIn,
                     L"Removed " + kHelp}));

    // A second run finds nothing to delete and is harmless.
    fake.state().answers[Form::UnInstall] = {UserAction::ClickOk};
    RunRecord again;
    EXPECT_EQ(Uninstall(fake, again), Outcome::Completed);
    EXPECT_TRUE(again.filesDeleted.empty());
}

TEST(UninstallSequence, CancelOrCloseBoxAtTheConfirmationChangesNothing) {
    for (UserAction action : {UserAction::ClickCancel, UserAction::CloseBox}) {
        FakePlatform fake(Installed({kMacro, kAddIn, kHelp}, action));
        RunRecord record;
        EXPECT_EQ(Uninstall(fake, record), Outcome::Cancelled);
        EXPECT_EQ(fake.journal.Calls(), (Calls{L"Show Form1 modeless", L"Show UnInstall modal owner Form1",
                                               L"Tag UnInstall", L"Unload UnInstall", L"End"}));
        EXPECT_EQ(fake.state().existingFiles.size(), 3u);
    }
}

TEST(UninstallSequence, ConfirmationComesBeforeTheExcelGuard) {
    MachineState state = Installed({kMacro});
    state.excelWindowLooks = {true, false};
    state.answers[Form::ExitExcel] = {UserAction::CloseBox};  // the close box only makes the guard look again
    FakePlatform fake(state);
    RunRecord record;
    EXPECT_EQ(Uninstall(fake, record), Outcome::Completed);
    const Calls calls = fake.journal.Calls();
    const auto confirm = std::find(calls.begin(), calls.end(), L"Show UnInstall modal owner Form1");
    const auto prompt = std::find(calls.begin(), calls.end(), L"Show ExitExcel modal owner Form1");
    ASSERT_NE(prompt, calls.end());
    EXPECT_LT(confirm, prompt);
    EXPECT_EQ(record.filesDeleted, (Calls{kMacro}));

    MachineState cancelling = Installed({kMacro});
    cancelling.excelWindowLooks = {true};
    cancelling.answers[Form::ExitExcel] = {UserAction::ClickCancel};
    FakePlatform cancelled(cancelling);
    RunRecord none;
    EXPECT_EQ(Uninstall(cancelled, none), Outcome::Cancelled);
    const Calls cancelledCalls = cancelled.journal.Calls();
    EXPECT_EQ(std::find(cancelledCalls.begin(), cancelledCalls.end(), L"CreateObject excel.application"),
              cancelledCalls.end());
}

// The uninstaller's Excel is the installer's (see there); here, that its own order holds after
// a busy or silent Excel.
TEST(UninstallSequence, ExcelThatIsBusyOrSilentIsWaitedForAMinuteAtMost) {
    MachineState busy = Installed({kMacro, kAddIn, kHelp});
    busy.excelBusyFor = 3s;
    FakePlatform busyFake(busy);
    RunRecord busyRecord;
    EXPECT_EQ(Uninstall(busyFake, busyRecord), Outcome::Completed);
    EXPECT_EQ(busyRecord.filesDeleted.size(), 3u);

    MachineState silent = Installed({kMacro, kAddIn, kHelp});
    silent.excelSilentIn = L"Quit";
    FakePlatform silentFake(silent);
    RunRecord silentRecord;
    try {
        Uninstall(silentFake, silentRecord);
        ADD_FAILURE() << "a silent Quit went unnoticed";
    } catch (const SetupError& error) {
        EXPECT_EQ(error.Code(), kNoAnswer);
    }
    EXPECT_EQ(silentRecord.filesDeleted.size(), 3u);
    const Calls calls = silentFake.journal.Calls();
    const auto quit = std::find(calls.begin(), calls.end(), L"excel.Quit");
    EXPECT_EQ(Calls(quit, calls.end()),
              (Calls{L"excel.Quit", L"End process 1", L"excel.Release", L"fso.Release", L"folder.Release"}));
}

TEST(UninstallSequence, FailureAtAnyCallStopsThereAndStillQuitsExcel) {
    const Calls full = FullUninstall();
    for (std::size_t failAt = 0; failAt < fake::CountFailableCalls(full); ++failAt) {
        FakePlatform fake(Installed({kMacro, kAddIn, kHelp}));
        fake.journal.failAt = failAt;
        RunRecord record;
        EXPECT_THROW(Uninstall(fake, record), SetupError) << "failing call " << failAt;
        fake::ExpectStoppedAtFailure(full, fake.journal.Calls(), failAt);
        // Files deleted before the failure stay deleted, and the record says which.
        EXPECT_EQ(record.filesDeleted.size() + fake.state().existingFiles.size(), 3u);
    }
}

}  // namespace
}  // namespace qh
