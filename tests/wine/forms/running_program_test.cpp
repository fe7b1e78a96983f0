// The running program's path, whatever its length, and the folder that holds it.
#include <gtest/gtest.h>

#include <windows.h>

#include "win32/running_program.h"
#include "win32/win32_file_details.h"

namespace qh::win32 {
namespace {

TEST(RunningProgramPath, IsTheWholePathAndItsFolderHoldsTheProgram) {
    const std::wstring path = RunningProgramPath();
    EXPECT_TRUE(path.ends_with(L"\\qh_forms_tests.exe")) << std::string(path.begin(), path.end());
    EXPECT_EQ(path.find(L'\0'), std::wstring::npos);

    const std::wstring folder = Win32FileDetails().ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_NE(::GetFileAttributesW((folder + L"\\qh_forms_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qh::win32
