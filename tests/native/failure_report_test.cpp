#include <gtest/gtest.h>

#include "core/failure_report.h"

namespace qh {
namespace {

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Each kind of failure, as the step that met it reports it: what the program was doing, why it
// failed and what to do next, in that order, and the system's error last, for support.
TEST(FailureReport, SaysWhatWasBeingDoneWhyWhatToDoAndTheErrorInThatOrder) {
    const std::wstring medium = L"E:\\Setup\\QZ Function.xla";
    const std::wstring installed = L"C:\\Users\\ann\\XLSTART\\QZ Macro.xls";
    const struct {
        std::int32_t code;
        FailureKind kind;  // as the step found it, where that tells more than the code
        Doing doing;
        Program program;
        std::vector<std::wstring> phrases;  // in the order the report must hold them
    } cases[] = {
        {static_cast<std::int32_t>(0x800A0035),
         FailureKind::NotOnMedium,
         {Activity::CopyingIntoStartupFolder, L"QZ Function.xla", {L"from " + medium, L"to C:\\Users\\ann\\XLSTART\\"}},
         Program::Installer,
         {L"could not be installed", L"Copying QZ Function.xla into Excel's start-up folder", L"    from " + medium,
          L"not on the installation medium", L"Copy the whole installation medium again",
          L"error 0x800A0035: File not found"}},
        {static_cast<std::int32_t>(0x800A0046),
         FailureKind::HelpFolderDeniedToAdministrator,
         {Activity::CopyingIntoHelpFolder, L"QuenzoHalvorn.chm", {}},
         Program::Installer,
         {L"into the Windows Help folder", L"Windows refused access to its Help folder, even to an administrator",
          L"security settings", L"run the installer again"}},
        {static_cast<std::int32_t>(0x800A004C),
         FailureKind::FolderMissing,
         {Activity::CopyingIntoHelpFolder, L"QuenzoHalvorn.chm", {}},
         Program::Installer,
         {L"The folder does not exist"}},
        {static_cast<std::int32_t>(0x800A0046),
         FailureKind::ReadOnly,
         {Activity::RemovingFile, L"QZ Macro.xls", {installed}},
         Program::Uninstaller,
         {L"could not be removed", L"Removing QZ Macro.xls", L"    " + installed, L"The file is read-only",
          L"Read-only attribute", L"run the uninstaller again"}},
        {static_cast<std::int32_t>(0x80070020),
         FailureKind::InUse,
         {Activity::RemovingFile, L"QZ Macro.xls", {installed}},
         Program::Uninstaller,
         {L"open in another program", L"Close the program that has the file open"}},
        {static_cast<std::int32_t>(0x800401F3),
         FailureKind::ExcelCannotStart,
         {Activity::StartingExcel, {}, {}},
         Program::Installer,
         {L"Starting Excel to find its start-up folder", L"Excel is not installed or cannot be started",
          L"Repair or install Excel"}},
        {static_cast<std::int32_t>(0x80010001),
         FailureKind::ExcelBusy,
         {Activity::ReadingStartupFolder, {}, {}},
         Program::Uninstaller,
         {L"Asking Excel for its start-up folder", L"Excel stayed busy", L"in a few minutes"}},
        {static_cast<std::int32_t>(0x8001011F),
         FailureKind::ExcelSilent,
         {Activity::QuittingExcel, {}, {}},
         Program::Installer,
         {L"Telling Excel to quit", L"Excel stopped answering", L"The Excel this program had started was ended",
          L"Start Excel by hand"}},
        {static_cast<std::int32_t>(0x800A003D),
         FailureKind::DiskFull,
         {Activity::CopyingIntoStartupFolder, L"QZ Macro.xls", {}},
         Program::Installer,
         {L"The disk is full", L"Make room on the disk"}},
        {0,
         FailureKind::AdministratorStepUnfinished,
         {Activity::RemovingFile, L"QuenzoHalvorn.chm", {}},
         Program::Uninstaller,
         {L"Removing QuenzoHalvorn.chm", L"not ended within five minutes", L"may still be running, and may yet finish",
          L"Wait until it has ended", L"run the uninstaller again"}},
        {0,
         FailureKind::NoFolder,
         {Activity::FindingWindowsFolder, {}, {}},
         Program::Installer,
         {L"Finding the Windows folder", L"named no folder"}},
        {5,
         FailureKind::AccessDenied,
         {Activity::CreatingFolder, L"C:\\Users\\ann\\XLSTART", {}},
         Program::Installer,
         {L"Creating the folder C:\\Users\\ann\\XLSTART", L"error 5: "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.phrases.front()));
        SetupError failure(L"Call", {}, c.code, L"File not found");
        if (c.kind == FailureKind::ExcelSilent) failure.SetAftermath(L"The Excel this program had started was ended.");
        failure.SetKind(c.kind);
        failure.SetDoing(c.doing);
        RunRecord record;
        record.program = c.program;
        const std::wstring text = DescribeFailure(failure, record);
        std::size_t from = 0;
        for (const auto& phrase : c.phrases) {
            const std::size_t at = text.find(phrase, from);
            EXPECT_NE(at, std::wstring::npos) << testing::PrintToString(phrase) << " in order in\n"
                                              << testing::PrintToString(text);
            if (at != std::wstring::npos) from = at + phrase.size();
        }
        EXPECT_FALSE(Contains(text, L"{")) << "a field left unfilled in " << testing::PrintToString(text);
        EXPECT_EQ(Contains(text, L"run the installer"),
                  c.program == Program::Installer && c.kind != FailureKind::Other &&
                      c.kind != FailureKind::FolderMissing && c.kind != FailureKind::NoFolder);
        if (c.program == Program::Uninstaller) {
            for (const wchar_t* installing :
                 {L"the installer", L"be installed", L"installation", L"setup", L"set up"}) {
                EXPECT_FALSE(Contains(text, installing))
                    << "an uninstaller speaks of removing: " << testing::PrintToString(text);
            }
        }
    }
}

// The error numbers that stand for a kind; everything else is told by the system's own text.
TEST(FailureReport, ErrorNumbersOfTheScriptingRuntimeAndComAreKinds) {
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x800A0035)), FailureKind::FileNotFound);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x800A004C)), FailureKind::FolderMissing);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x800A0046)), FailureKind::AccessDenied);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x80070020)), FailureKind::InUse);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x80040154)), FailureKind::ExcelCannotStart);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x8001010A)), FailureKind::ExcelBusy);
    EXPECT_EQ(KindOfError(static_cast<std::int32_t>(0x80004005)), FailureKind::Other);
}

TEST(FailureReport, SaysWhereTheMachineStands) {
    RunRecord record;
    record.foldersCreated = {L"C:\\Excel", L"C:\\Excel\\S"};
    record.filesCopied = {L"C:\\Excel\\S\\QZ Macro.xls"};
    const std::wstring text = DescribeFailure(SetupError(L"CopyFile", {}, 5, L"Access is denied"), record);
    EXPECT_TRUE(Contains(text,
                         L"folders had been created for the files and stay in place:\r\n    C:\\Excel\r\n"
                         L"    C:\\Excel\\S\r\n"))
        << testing::PrintToString(text);
    EXPECT_TRUE(Contains(text, L"installed and stay in place:\r\n    C:\\Excel\\S\\QZ Macro.xls\r\n"));

    RunRecord removed;
    removed.program = Program::Uninstaller;
    removed.filesDeleted = {L"C:\\S\\QZ Macro.xls"};
    EXPECT_TRUE(Contains(DescribeFailure(SetupError(L"DeleteFile", {}, 5, L""), removed),
                         L"had already been removed:\r\n    C:\\S\\QZ Macro.xls\r\n"));
    EXPECT_TRUE(Contains(DescribeUnexpectedFailure(L"bad allocation", RunRecord{}), L"No file had been changed"));
}

}  // namespace
}  // namespace qh
