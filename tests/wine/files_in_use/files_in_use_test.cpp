// An installed file that another program holds open without sharing: both programs stop at it
// with a report that names the file and says it is in use, still make their Excel quit, and end
// with exit code 1. The test process holds the file: to the programs it is another program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "held_file.h"
#include "setup_bench.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

constexpr wchar_t kInUse[] = L"The file is open in another program.";

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

}  // namespace
}  // namespace qh::testing
