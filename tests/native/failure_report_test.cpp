#include <gtest/gtest.h>

#include "core/failure_report.h"

namespace qh {
namespace {

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

TEST(FailureReport, SaysWhatFailedOnWhatWithTheSystemsErrorAndWhatIsInPlace) {
    RunRecord record;
    record.foldersCreated = {L"C:\\Excel", L"C:\\Excel\\S"};
    record.filesCopied = {L"C:\\S\\QZ Macro.xls", L"C:\\S\\QZ Function.xla"};
    const SetupError failure(L"CopyFile", L"from E:\\QuenzoHalvorn.chm to C:\\Windows\\Help\\",
                             static_cast<std::int32_t>(0x800A004C), L"Path not found");
    const std::wstring text = DescribeFailure(failure, record);
    EXPECT_TRUE(Contains(text, L"CopyFile")) << text;
    EXPECT_TRUE(Contains(text, L"E:\\QuenzoHalvorn.chm")) << text;
    EXPECT_TRUE(Contains(text, L"0x800A004C: Path not found")) << text;
    EXPECT_TRUE(Contains(text, L"C:\\S\\QZ Macro.xls")) << text;
    EXPECT_TRUE(Contains(text, L"C:\\S\\QZ Function.xla")) << text;
    EXPECT_TRUE(Contains(text, L"stay in place")) << text;
    EXPECT_TRUE(Contains(text, L"folders had been created")) << text;
    EXPECT_TRUE(Contains(text, L"    C:\\Excel\\S\r\n")) << text;
}

TEST(FailureReport, NamesDeletedFilesOrSaysNothingChanged) {
    RunRecord deleted;
    deleted.filesDeleted = {L"C:\\S\\QZ Macro.xls"};
    const SetupError denied(L"DeleteFile", L"C:\\S\\QZ Function.xla", static_cast<std::int32_t>(0x800A0046), L"Permission denied");
    const std::wstring text = DescribeFailure(denied, deleted);
    EXPECT_TRUE(Contains(text, L"removed")) << text;
    EXPECT_TRUE(Contains(text, L"C:\\S\\QZ Macro.xls")) << text;

    const SetupError notInstalled(L"Start excel.application", L"", static_cast<std::int32_t>(0x800401F3), L"Not registered");
    EXPECT_TRUE(Contains(DescribeFailure(notInstalled, RunRecord{}), L"No file had been changed")) ;
    // A Win32 error number reads in decimal.
    const SetupError win32(L"Load", L"x", 5, L"Access is denied");
    EXPECT_TRUE(Contains(DescribeFailure(win32, RunRecord{}), L"Error 5: Access is denied"));
}

}  // namespace
}  // namespace qh
