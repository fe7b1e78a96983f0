// The real uninstaller under Wine, with the stand-in Excel, run as a user would run it.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "setup_bench.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

const std::vector<std::wstring> kOneRun = {L"Hwnd", L"StartupPath", L"Quit"};

// Read line by line rather than parsed: the stand-in may be half-way through writing a line.
bool AutomationInstanceStarted(const std::wstring& journal) {
    const auto lines = ReadJournalLines(journal);
    return std::any_of(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.starts_with(L"started ") && line.ends_with(L" automation");
    });
}

// Each file of a folder by name, with its size and a hash of its bytes: equal snapshots mean no
// file came, went or changed, and a difference prints readably.
std::map<std::wstring, std::string> Snapshot(const fs::path& folder) {
    std::map<std::wstring, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ostringstream fingerprint;
        if (entry.is_directory()) {
            fingerprint << "folder";
        } else {
            const std::vector<char> bytes = ReadBytes(entry.path());
            std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
            for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            fingerprint << bytes.size() << " bytes, hash " << std::hex << hash;
        }
        files[entry.path().filename().wstring()] = fingerprint.str();
    }
    return files;
}

void MakeWritable(const fs::path& file) { ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); }

struct RunEnd {
    DWORD exitCode = 0;
    std::optional<std::wstring> report;
};

// Waits for the program to end. A failure report that shows meanwhile is read and dismissed, so
// that a run expected to end quietly fails with the report's text rather than a timeout.
RunEnd WaitForEnd(Process& program) {
    WindowFilter reportBox;
    reportBox.processId = program.Pid();
    reportBox.className = L"#32770";
    reportBox.caption = L"Quenzo Halvorn";
    RunEnd end;
    PollUntil(kRunTimeout, [&] {
        if (!end.report && !FindTopLevelWindows(reportBox).empty()) end.report = ReadAndDismissReport(program);
        return !IsRunning(program);
    });
    end.exitCode = WaitForExit(program, 1s);
    return end;
}

void ExpectQuietCompletion(const RunEnd& end) {
    EXPECT_EQ(end.exitCode, kCompleted);
    EXPECT_FALSE(end.report.has_value()) << "a report showed: " << Utf8(end.report.value_or(L""));
}

// A file of someone else's beside the installed ones, removed at the end of the test.
class ForeignFile {
public:
    explicit ForeignFile(fs::path path) : path_(std::move(path)) { WriteBytes(path_, SampleContent(path_.filename())); }
    ForeignFile(const ForeignFile&) = delete;
    ForeignFile& operator=(const ForeignFile&) = delete;
    ~ForeignFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

private:
    fs::path path_;
};

class Uninstaller : public ::testing::Test {
protected:
    // The help file goes to the same place for every test of both programs.
    void SetUp() override { RemoveInstalledHelp(); }
    void TearDown() override {
        for (const fs::path& file : InstalledFiles()) MakeWritable(file);
        RemoveInstalledHelp();
        for (DWORD processId : EndStandInProcessesLeftBehind(excel_)) {
            std::cout << "ended a stand-in left behind after its journal's end: pid " << processId << "\n";
        }
    }

    void RemoveInstalledHelp() const {
        MakeWritable(installedHelp_);
        std::error_code ignored;
        fs::remove(installedHelp_, ignored);
    }

    fs::path InstalledMacro() const { return excel_.startupFolder() / kMacroWorkbook; }
    fs::path InstalledAddIn() const { return excel_.startupFolder() / kAddInWorkbook; }
    std::vector<fs::path> InstalledFiles() const { return {InstalledMacro(), InstalledAddIn(), installedHelp_}; }

    // The files as the installer leaves them.
    void Install(const std::vector<fs::path>& files) const {
        for (const fs::path& file : files) WriteBytes(file, SampleContent(file.filename()));
    }
    void InstallAll() const { Install(InstalledFiles()); }

    void ExpectAllStillInstalled() const {
        for (const fs::path& file : InstalledFiles()) {
            ASSERT_TRUE(fs::exists(file)) << file.string();
            EXPECT_EQ(ReadBytes(file), SampleContent(file.filename())) << file.string();
        }
    }
    void ExpectNoneLeft() const {
        for (const fs::path& file : InstalledFiles()) EXPECT_FALSE(fs::exists(file)) << file.string();
    }

    Process Start() const { return StartFromMedium(medium_, Program::Uninstaller); }
    HWND WaitForConfirmation(const Process& program) const { return WaitForDesign(program, kUnInstallText); }

    // Confirms and lets the run go to its end.
    RunEnd RunConfirmed() const {
        Process program = Start();
        Press(WaitForConfirmation(program), L"Ok");
        return WaitForEnd(program);
    }

    // A declined run changes no file and starts no Excel at all.
    void ExpectDeclined(Process& program) const {
        const RunEnd end = WaitForEnd(program);
        EXPECT_EQ(end.exitCode, kCancelled);
        EXPECT_FALSE(end.report.has_value()) << Utf8(end.report.value_or(L""));
        ExpectAllStillInstalled();
        EXPECT_TRUE(excel_.Journal().empty()) << "an Excel instance was started";
    }

    ExcelBench excel_;
    TempFolder mediumFolder_{L"medium"};
    Medium medium_{mediumFolder_.path()};
    const fs::path installedHelp_ = HelpFolder() / kHelpFile;
};

// --- Which files go.

struct Installed {
    const char* name;
    bool macro;
    bool addIn;
    bool help;
};

void PrintTo(const Installed& machine, std::ostream* out) { *out << machine.name; }

class UninstallerWith : public Uninstaller, public ::testing::WithParamInterface<Installed> {};

TEST_P(UninstallerWith, DeletesJustTheInstalledFilesThatExistAndQuitsExcel) {
    // A user's workbooks beside the add-in's, one with a name close to it.
    ForeignFile budget(excel_.startupFolder() / L"Budget.xls");
    ForeignFile oldMacro(excel_.startupFolder() / L"QZ Macro (old).xls");
    const auto startupBefore = Snapshot(excel_.startupFolder());
    const auto helpBefore = Snapshot(HelpFolder());
    if (GetParam().macro) Install({InstalledMacro()});
    if (GetParam().addIn) Install({InstalledAddIn()});
    if (GetParam().help) Install({installedHelp_});

    ExpectQuietCompletion(RunConfirmed());
    ExpectNoneLeft();
    EXPECT_EQ(Snapshot(excel_.startupFolder()), startupBefore);
    EXPECT_EQ(Snapshot(HelpFolder()), helpBefore);
    EXPECT_EQ(excel_.MembersCalled(), kOneRun);
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 1u);
    excel_.ExpectNothingLeftRunning();
}

INSTANTIATE_TEST_SUITE_P(Machines, UninstallerWith,
                         ::testing::Values(Installed{"NothingInstalled", false, false, false},
                                           Installed{"AllThreeInstalled", true, true, true},
                                           Installed{"OnlyTheHelpFile", false, false, true},
                                           Installed{"OnlyTheAddInWorkbook", false, true, false}),
                         [](const ::testing::TestParamInfo<Installed>& machine) { return machine.param.name; });

TEST_F(Uninstaller, RunningItTwiceIsHarmless) {
    ForeignFile budget(excel_.startupFolder() / L"Budget.xls");
    const auto startupBefore = Snapshot(excel_.startupFolder());
    InstallAll();
    ExpectQuietCompletion(RunConfirmed());
    // The first run's Excel must be gone, or the second run's guard would see it.
    excel_.ExpectNothingLeftRunning();
    ExpectQuietCompletion(RunConfirmed());
    ExpectNoneLeft();
    EXPECT_EQ(Snapshot(excel_.startupFolder()), startupBefore);
    EXPECT_EQ(excel_.MembersCalled(),
              (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit", L"Hwnd", L"StartupPath", L"Quit"}));
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 2u);
    excel_.ExpectNothingLeftRunning();
}

// --- Declining at the confirmation.

TEST_F(Uninstaller, CancelAtTheConfirmationChangesNothingAndStartsNoExcel) {
    InstallAll();
    Process program = Start();
    Press(WaitForConfirmation(program), L"Cancel");
    ExpectDeclined(program);
}

TEST_F(Uninstaller, CloseBoxAtTheConfirmationIsACancel) {
    InstallAll();
    Process program = Start();
    CloseByCloseBox(WaitForConfirmation(program));
    ExpectDeclined(program);
}

TEST_F(Uninstaller, EnterAtOnceOnTheConfirmationCancels) {
    InstallAll();
    Process program = Start();
    HWND confirmation = WaitForConfirmation(program);
    const HWND focus = PollUntil(2s, [&] {
        HWND focused = FocusedControl(confirmation);
        return focused && ::IsChild(confirmation, focused) && Caption(focused) == L"Cancel" ? focused : nullptr;
    });
    if (!focus) {
        HWND focused = FocusedControl(confirmation);
        ADD_FAILURE() << "the focus is on " << (focused ? Utf8(DescribeWindow(focused)) : "nothing");
        Press(confirmation, L"Cancel");  // ends the run without deleting anything
    } else {
        EXPECT_EQ(ClassName(focus), L"Button");
        PostKey(confirmation, VK_RETURN);
    }
    ExpectDeclined(program);
}

// --- A running Excel.

// A screen reader hears the confirmation as a dialog that gives its warning, and the progress
// window as an alert with its message.
TEST_F(Uninstaller, WithExcelRunningTheConfirmationComesFirstThenTheExcelPrompt) {
    InstallAll();
    UserExcel usersExcel;
    Process program = Start();
    const WinEventRecorder events(program.Pid());
    HWND confirmation = WaitForConfirmation(program);
    ExpectSpokenAs(events, EVENT_SYSTEM_DIALOGSTART, confirmation, ROLE_SYSTEM_DIALOG,
                   L"Uninstall Quenzo Halvorn! Caution: if you installed the Quenzo menu, you need to first run macro "
                   L"DeleteQuenzoFromToolsMenu.");
    WindowFilter excelPrompt;
    excelPrompt.processId = program.Pid();
    excelPrompt.childText = kExitExcelText;
    EXPECT_TRUE(FindTopLevelWindows(excelPrompt).empty()) << "the Excel prompt is up before the confirmation";

    Press(confirmation, L"Ok");
    HWND prompt = WaitForDesign(program, kExitExcelText);
    WindowFilter confirmationUp;
    confirmationUp.processId = program.Pid();
    confirmationUp.childText = kUnInstallText;
    EXPECT_TRUE(FindTopLevelWindows(confirmationUp).empty()) << "the confirmation is still up";
    ExpectAllStillInstalled();

    usersExcel.Close();
    ASSERT_TRUE(usersExcel.WaitForEnd(10s));
    ASSERT_TRUE(WaitUntilNoExcelWindow(10s));
    Press(prompt, L"Ok");
    HWND deleting = WaitForDesign(program, kDeletingText);
    ExpectSpokenAs(events, EVENT_SYSTEM_ALERT, deleting, ROLE_SYSTEM_ALERT, L"Deleting files, please wait...");
    events.WaitFor(kLiveRegionChangedEvent, FindChildByText(deleting, kDeletingText), 0ms);
    ExpectQuietCompletion(WaitForEnd(program));
    ExpectNoneLeft();
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 1u);
    EXPECT_EQ(excel_.MembersCalled(), kOneRun);
    excel_.ExpectNothingLeftRunning();
}

// Unlike the confirmation's, the Excel prompt's close box only makes the guard look again.
TEST_F(Uninstaller, CloseBoxAtTheExcelPromptLooksForExcelAgain) {
    InstallAll();
    UserExcel usersExcel;
    Process program = Start();
    Press(WaitForConfirmation(program), L"Ok");
    HWND prompt = WaitForDesign(program, kExitExcelText);
    CloseByCloseBox(prompt);
    WaitForWindowGone(prompt);
    HWND again = WaitForDesign(program, kExitExcelText);
    ExpectAllStillInstalled();

    usersExcel.Close();
    ASSERT_TRUE(usersExcel.WaitForEnd(10s));
    ASSERT_TRUE(WaitUntilNoExcelWindow(10s));
    CloseByCloseBox(again);
    ExpectQuietCompletion(WaitForEnd(program));
    ExpectNoneLeft();
    excel_.ExpectNothingLeftRunning();
}

// --- Failure.

TEST_F(Uninstaller, ReadOnlyInstalledFileIsReportedEarlierDeletionsStayAndExcelQuits) {
    InstallAll();
    ASSERT_TRUE(::SetFileAttributesW(InstalledAddIn().c_str(), FILE_ATTRIBUTE_READONLY));
    Process program = Start();
    Press(WaitForConfirmation(program), L"Ok");
    HWND box = WaitForReport(program);
    ExpectReportInFront(box);
    const std::wstring report = DismissReport(box);
    EXPECT_EQ(WaitForExit(program, kRunTimeout), kFailed);

    EXPECT_TRUE(Contains(report, InstalledAddIn().wstring())) << Utf8(report);
    EXPECT_TRUE(Contains(report, L"The file is read-only.")) << Utf8(report);
    EXPECT_TRUE(Contains(report, InstalledMacro().wstring())) << "names what is already gone: " << Utf8(report);
    EXPECT_FALSE(fs::exists(InstalledMacro()));
    EXPECT_TRUE(fs::exists(InstalledAddIn()));
    EXPECT_TRUE(fs::exists(installedHelp_)) << "the run went on after the failure";
    EXPECT_EQ(excel_.MembersCalled(), kOneRun);
    excel_.ExpectNothingLeftRunning();
}

// --- Excel as it is met in the field (the installer's tests have the rest).

TEST_F(Uninstaller, ExcelThatIsBusyAtFirstIsAskedAgainUntilItAnswers) {
    InstallAll();
    excel_.settings.SetBusyFor(4s);
    ExpectQuietCompletion(RunConfirmed());
    ExpectNoneLeft();
    EXPECT_GE(excel_.JournalDetails(L"refused").size(), 2u);
    EXPECT_EQ(excel_.MembersCalled(), kOneRun);
    excel_.ExpectNothingLeftRunning();
}

// --- Progress.

TEST_F(Uninstaller, DeletingIsUpForAboutASecondBeforeExcelStartsAndTheFirstFileGoes) {
    InstallAll();
    Process program = Start();
    Press(WaitForConfirmation(program), L"Ok");
    WaitForDesign(program, kDeletingText, 20s);
    const auto shown = std::chrono::steady_clock::now();
    using Waited = std::optional<std::chrono::steady_clock::duration>;
    Waited excelStarted;
    Waited firstGone;
    PollUntil(10s, [&] {
        const auto waited = std::chrono::steady_clock::now() - shown;
        if (!excelStarted && AutomationInstanceStarted(excel_.settings.journal())) excelStarted = waited;
        if (!firstGone && !fs::exists(InstalledMacro())) firstGone = waited;
        return excelStarted && firstGone;
    });
    ASSERT_TRUE(excelStarted) << "no Excel instance started";
    ASSERT_TRUE(firstGone) << "the first file was not deleted";
    const auto ms = [](std::chrono::steady_clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::cout << "Excel started after " << ms(*excelStarted) << " ms, first file gone after " << ms(*firstGone)
              << " ms\n";
    // The window is seen a little after it appears, so the measured waits are at most the pause.
    EXPECT_GE(*excelStarted, 700ms) << "Excel was started before the pause ended";
    EXPECT_GE(*firstGone, 700ms);
    // Excel's own start (about 1.2 s here) comes after the pause and before the first delete.
    EXPECT_LE(*excelStarted, 3000ms);
    EXPECT_LE(*firstGone, 5000ms);
    ExpectQuietCompletion(WaitForEnd(program));
}

// --- Both programs.

TEST_F(Uninstaller, InstallThenUninstallLeavesTheMachineAsItWas) {
    ForeignFile budget(excel_.startupFolder() / L"Budget.xls");
    ForeignFile otherHelp(HelpFolder() / L"Other Product.chm");
    const auto startupBefore = Snapshot(excel_.startupFolder());
    const auto helpBefore = Snapshot(HelpFolder());

    ASSERT_EQ(RunInstallerToEnd(medium_), kCompleted);
    for (const fs::path& file : InstalledFiles()) ASSERT_TRUE(fs::exists(file)) << "not installed: " << file.string();

    ExpectQuietCompletion(RunConfirmed());
    EXPECT_EQ(Snapshot(excel_.startupFolder()), startupBefore);
    EXPECT_EQ(Snapshot(HelpFolder()), helpBefore);
    EXPECT_EQ(excel_.MembersCalled(),
              (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit", L"Hwnd", L"StartupPath", L"Quit"}));
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 2u);
    excel_.ExpectNothingLeftRunning();
}

}  // namespace
}  // namespace qh::testing
