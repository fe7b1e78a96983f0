#include <gtest/gtest.h>

#include "core/file_set.h"
#include "core/setup_error.h"

namespace qh {
namespace {

TEST(NormaliseFolderPath, DropsExactlyOneTrailingBackslash) {
    const struct {
        const wchar_t* folder;
        const wchar_t* normalised;
    } cases[] = {
        {L"C:\\Windows", L"C:\\Windows"},
        {L"C:\\Windows\\", L"C:\\Windows"},
        {L"D:\\", L"D:"},
        {L"C:\\a\\\\", L"C:\\a\\"},
        {L"", L""},
        {L"\\", L""},
        {L"C:\\a/", L"C:\\a/"},
        {L"C:\\Users\\J\u00f6rg\\XLSTART\\", L"C:\\Users\\J\u00f6rg\\XLSTART"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseFolderPath(c.folder), c.normalised)
            << "folder: " << testing::PrintToString(std::wstring(c.folder));
    }
}

// The folder of the running program's file, and each level MissingFolders climbs.
TEST(ParentFolder, NamesTheFolderAboveNormalisedDriveRootsIncluded) {
    const struct {
        const wchar_t* path;
        const wchar_t* parent;
    } cases[] = {
        {L"C:\\Medium\\Setup.exe", L"C:\\Medium"},
        {L"C:\\A b\\c d\\QuenzoHalvornInstall.exe", L"C:\\A b\\c d"},
        {L"E:\\QuenzoHalvornInstall.exe", L"E:"},
        {L"\\\\server\\share\\Setup.exe", L"\\\\server\\share"},
        {L"C:", L""},
        {L"\\\\server", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParentFolder(c.path), c.parent) << testing::PrintToString(std::wstring(c.path));
}

TEST(InstallCopies, FormsSourcesAndFolderTargetsWithSingleBackslashes) {
    const auto copies = InstallCopies(NormaliseFolderPath(L"E:\\"), NormaliseFolderPath(L"C:\\X\\XLSTART\\"),
                                      NormaliseFolderPath(L"C:\\Windows"));
    EXPECT_EQ(copies[0].source, L"E:\\QZ Macro.xls");
    EXPECT_EQ(copies[1].source, L"E:\\QZ Function.xla");
    EXPECT_EQ(copies[2].source, L"E:\\QuenzoHalvorn.chm");
    EXPECT_EQ(copies[0].destination, L"C:\\X\\XLSTART\\");
    EXPECT_EQ(copies[1].destination, L"C:\\X\\XLSTART\\");
    EXPECT_EQ(copies[2].destination, L"C:\\Windows\\Help\\");
    EXPECT_EQ(copies[0].installedFile, L"C:\\X\\XLSTART\\QZ Macro.xls");
    EXPECT_EQ(copies[2].installedFile, L"C:\\Windows\\Help\\QuenzoHalvorn.chm");
}

TEST(InstalledFiles, TrailingBackslashGivesTheSamePathsAndHelpStaysInHelp) {
    const auto plain = InstalledFiles(NormaliseFolderPath(L"C:\\S"), NormaliseFolderPath(L"C:\\Windows"));
    const auto slashed = InstalledFiles(NormaliseFolderPath(L"C:\\S\\"), NormaliseFolderPath(L"C:\\Windows\\"));
    EXPECT_EQ(plain, slashed);
    EXPECT_EQ(plain[0], L"C:\\S\\QZ Macro.xls");
    EXPECT_EQ(plain[1], L"C:\\S\\QZ Function.xla");
    EXPECT_EQ(plain[2], L"C:\\Windows\\Help\\QuenzoHalvorn.chm");
}

TEST(RequireFolder, RefusesAnEmptyFolderThatWouldMeanTheDriveRoot) {
    EXPECT_NO_THROW(RequireFolder(L"D:", Activity::ReadingStartupFolder));
    try {
        RequireFolder(NormaliseFolderPath(L"\\"), Activity::ReadingStartupFolder);
        FAIL() << "an empty folder was accepted";
    } catch (const SetupError& failure) {
        EXPECT_EQ(failure.WhatWasDoing().activity, Activity::ReadingStartupFolder);
        EXPECT_EQ(failure.Kind(), FailureKind::NoFolder);
    }
}

}  // namespace
}  // namespace qh
