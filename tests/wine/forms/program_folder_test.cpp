// The folder part of the program's path, as the system names folders.
#include <gtest/gtest.h>

#include "forms/program_folder.h"

namespace qh::forms {
namespace {

TEST(FolderOfFile, NamesFoldersAsTheSystemDoes) {
    const struct {
        const wchar_t* file;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Medium\\Setup.exe", L"C:\\Medium"},
        {L"C:\\A b\\c d\\QuenzoHalvornInstall.exe", L"C:\\A b\\c d"},
        {L"E:\\QuenzoHalvornInstall.exe", L"E:\\"},  // a drive root keeps its backslash
        {L"\\\\server\\share\\Setup.exe", L"\\\\server\\share"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderOfFile(c.file), c.folder) << c.file;
}

TEST(RunningProgramPath, IsTheWholePath) {
    const std::wstring path = RunningProgramPath();
    EXPECT_TRUE(path.ends_with(L"\\qh_forms_tests.exe")) << std::string(path.begin(), path.end());
    EXPECT_EQ(path.find(L'\0'), std::wstring::npos);
}

}  // namespace
}  // namespace qh::forms
