// An installed file that another program holds open without sharing: both programs stop at it
// with a report that names the file and says it is in use, still make their Excel quit, and end
// with exit code 1. The test process holds the file: to the programs it is another program.
// And the other way round: the medium's help file held by the program for its copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "held_file.h"
#include "setup_bench.h"
#include "win32/win32_file_details.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

constexpr wchar_t kInUse[] = L"The file is open in another program.";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class FilesInUse : public ::testing::Test {
protected:
    void SetUp() override { fs::remove(installedHelp_); }
    void TearDown() override { fs::remove(installedHelp_); }

    // As an earlier install left them.
    void PlaceInstalledFiles() const {
        WriteBytes(excel_.startupFolder() / kMacroWorkbook, SampleContent(kMacroWorkbook));
        WriteBytes(excel_.startupFolder() / kAddInWorkbook, SampleContent(kAddInWorkbook));
        WriteBytes(installedHelp_, SampleContent(kHelpFile));
    }

    void ExpectExcelQuitAndIsGone() const {
        EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
        excel_.ExpectNothingLeftRunning();
    }

    ExcelBench excel_;
    TempFolder mediumFolder_{L"medium"};
    const fs::path installedHelp_ = HelpFolder() / kHelpFile;
};

TEST_F(FilesInUse, InstallerStopsAtAHeldWorkbookAndSaysItIsInUse) {
    Medium medium(mediumFolder_.path());
    PlaceInstalledFiles();
    const std::vector<char> old = {'o', 'l', 'd'};
    WriteBytes(excel_.startupFolder() / kAddInWorkbook, old);
    std::wstring report;
    {
        HeldFile held(excel_.startupFolder() / kAddInWorkbook);
        Process installer = StartFromMedium(medium, Program::Installer);
        report = ReadAndDismissReport(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
    }
    EXPECT_TRUE(Contains(report, kInUse)) << report;
    // The copy names its source by full path and its target folder; together they name the file.
    EXPECT_TRUE(Contains(report, L"from " + (medium.folder() / kAddInWorkbook).wstring())) << report;
    EXPECT_TRUE(Contains(report, L"to " + excel_.startupFolder().wstring() + L"\\")) << report;
    EXPECT_TRUE(Contains(report, (excel_.startupFolder() / kMacroWorkbook).wstring()))
        << "names the copy already in place: " << report;
    EXPECT_EQ(ReadBytes(excel_.startupFolder() / kAddInWorkbook), old) << "the held file is untouched";
    ExpectExcelQuitAndIsGone();
}

TEST_F(FilesInUse, InstallerStopsAtAHeldHelpFileAfterBothWorkbooks) {
    Medium medium(mediumFolder_.path());
    PlaceInstalledFiles();
    std::wstring report;
    {
        HeldFile held(installedHelp_);
        Process installer = StartFromMedium(medium, Program::Installer);
        report = ReadAndDismissReport(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
    }
    EXPECT_TRUE(Contains(report, (medium.folder() / kHelpFile).wstring())) << report;
    EXPECT_TRUE(Contains(report, L"\\Help\\")) << report;
    EXPECT_TRUE(Contains(report, kInUse)) << report;
    EXPECT_TRUE(Contains(report, (excel_.startupFolder() / kAddInWorkbook).wstring())) << report;
    ExpectExcelQuitAndIsGone();
}

TEST_F(FilesInUse, UninstallerStopsAtAHeldWorkbookAndSaysItIsInUse) {
    Medium medium(mediumFolder_.path());
    PlaceInstalledFiles();
    const fs::path heldPath = excel_.startupFolder() / kAddInWorkbook;
    std::wstring report;
    {
        HeldFile held(heldPath);
        Process uninstaller = StartFromMedium(medium, Program::Uninstaller);
        Press(WaitForDesign(uninstaller, kUnInstallText), L"Ok");
        report = ReadAndDismissReport(uninstaller);
        EXPECT_EQ(WaitForExit(uninstaller, kRunTimeout), kFailed);
    }
    EXPECT_TRUE(Contains(report, L"Removing QZ Function.xla\r\n    " + heldPath.wstring())) << report;
    EXPECT_TRUE(Contains(report, kInUse)) << report;
    EXPECT_TRUE(Contains(report, (excel_.startupFolder() / kMacroWorkbook).wstring()))
        << "names the file already removed: " << report;
    EXPECT_EQ(FileNamesIn(excel_.startupFolder()), (std::vector<std::wstring>{kAddInWorkbook}));
    EXPECT_TRUE(fs::exists(installedHelp_)) << "nothing after the failure is deleted";
    ExpectExcelQuitAndIsGone();
}

// The help file's copy as an administrator's process makes it: while the medium's file is held,
// nobody writes to it; the copy, written beside its target from the bytes read once, is the target
// only once put in place, and one never put in place leaves the target as it was and nothing
// beside it. (A target held open refuses its place: FilesInUse above.)
TEST(HeldSource, CopiesTheBytesReadOnceAndLeavesNothingHalfDone) {
    TempFolder folder(L"held");
    const fs::path source = folder.path() / kHelpFile, target = folder.path() / L"Help" / kHelpFile;
    fs::create_directory(target.parent_path());
    std::vector<char> bytes(3 << 19);  // more than one piece read
    for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = static_cast<char>(at * 7 % 251);
    WriteBytes(source, bytes);
    win32::Win32FileDetails files;
    for (const bool putInPlace : {false, true}) {
        WriteBytes(target, {'o', 'l', 'd'});
        {
            const auto held = files.HoldSource(source.wstring());
            EXPECT_FALSE(win32::UniqueFileHandle(::CreateFileW(source.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
            EXPECT_EQ(held->CopyBeside(target.wstring()), files.Sha256Of(source.wstring()));
            EXPECT_EQ(ReadBytes(target).size(), 3u) << "in place before it was put there";
            if (putInPlace) held->PutInPlace();
        }
        EXPECT_EQ(ReadBytes(target).size(), putInPlace ? bytes.size() : 3u);
        EXPECT_EQ(ReadBytes(target) == bytes, putInPlace);
        EXPECT_EQ(FileNamesIn(target.parent_path()), std::vector<std::wstring>{kHelpFile});
    }
}

}  // namespace
}  // namespace qh::testing
