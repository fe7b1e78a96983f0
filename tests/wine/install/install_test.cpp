// The real installer under Wine, with the stand-in Excel, run as a user would run it.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "com_test_helpers.h"
#include "core/elevation.h"
#include "program/setup_program.h"
#include "setup_bench.h"
#include "win32/win32_elevation.h"
#include "win32/win32_file_details.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

class Installer : public ::testing::Test {
protected:
    void SetUp() override { fs::remove(installedHelp_); }
    void TearDown() override { fs::remove(installedHelp_); }

    void ExpectInstalledFrom(const Medium& medium, const fs::path& startupFolder) const {
        for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook}) {
            ASSERT_TRUE(fs::exists(startupFolder / name)) << fs::path(name).string();
            EXPECT_EQ(ReadBytes(startupFolder / name), ReadBytes(medium.folder() / name));
        }
        ASSERT_TRUE(fs::exists(installedHelp_));
        EXPECT_EQ(ReadBytes(installedHelp_), ReadBytes(medium.folder() / kHelpFile));
        EXPECT_EQ(FileNamesIn(startupFolder), (std::vector<std::wstring>{kAddInWorkbook, kMacroWorkbook}));
    }

    ExcelBench excel_;
    TempFolder mediumFolder_{L"medium"};
    const fs::path installedHelp_ = HelpFolder() / kHelpFile;
};

// The processes a run started in all, itself included: it joins a job as soon as it is started,
// long before it could start anything, and every process it starts joins the job too. Wine starts
// an automation server from its client's process: the stand-in Excel counts as well.
class ProcessesOfRun {
public:
    explicit ProcessesOfRun(const Process& run) : job_(::CreateJobObjectW(nullptr, nullptr)) {
        if (!job_ || !::AssignProcessToJobObject(job_.get(), run.Handle())) {
            throw std::runtime_error("the run cannot join a job");
        }
    }
    DWORD Total() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts{};
        if (!::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &counts, sizeof(counts),
                                         nullptr)) {
            throw std::runtime_error("the job tells nothing");
        }
        return counts.TotalProcesses;
    }

private:
    win32::UniqueKernelHandle job_;
};

// From a folder or from the root of the bench's spare drive, and with Excel's start-up folder
// reported with a trailing backslash. The Help folder takes the copy: the installer starts no
// second process to ask for an administrator.
TEST_F(Installer, FreshInstallCopiesTheThreeFilesUnderTheirNamesAndQuitsExcel) {
    const struct {
        const char* name;
        fs::path mediumFolder;
        std::wstring reportedStartupPath;  // empty: the folder as it is
    } cases[] = {
        {"from a folder", mediumFolder_.path(), L""},
        {"from a drive root", fs::path(), L""},
        {"start-up folder with a trailing backslash", mediumFolder_.path(), excel_.startupFolder().wstring() + L"\\"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook}) fs::remove(excel_.startupFolder() / name);
        fs::remove(installedHelp_);
        excel_.settings.SetJournal();
        if (!c.reportedStartupPath.empty()) excel_.ReportStartupPathAs(c.reportedStartupPath);
        Medium medium(c.mediumFolder);
        if (c.mediumFolder.empty()) {
            ASSERT_EQ(medium.folder(), fs::path(L"Q:\\"));  // the root of the bench's spare drive
        }
        Process installer = StartFromMedium(medium, Program::Installer);
        const ProcessesOfRun processes(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
        EXPECT_EQ(processes.Total(), 1 + AutomationInstances(excel_.Journal()));
        ExpectInstalledFrom(medium, excel_.startupFolder());
        EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
        EXPECT_EQ(AutomationInstances(excel_.Journal()), 1u);
        excel_.ExpectNothingLeftRunning();
    }
}

fs::path DownloadMark(const fs::path& file) { return file.wstring() + L":Zone.Identifier"; }

bool HasDownloadMark(const fs::path& file) {
    win32::UniqueKernelHandle stream(
        ::CreateFileW(DownloadMark(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return stream.get() != INVALID_HANDLE_VALUE;
}

// Existing copies are replaced, even read-only or hidden ones, and a medium that was downloaded
// (its files marked) or is a disc (its files read-only) gives copies of the kit's own: unmarked
// and writable, which a second install and the uninstaller replace and remove. Wine's CopyFile
// takes neither mark nor attributes along, but keeps the mark of a file it overwrites.
TEST_F(Installer, ExistingCopiesAreOverwrittenAndCopiesFromADownloadOrADiscAreTheKitsOwn) {
    Medium medium(mediumFolder_.path());
    const std::vector<char> old = {'o', 'l', 'd'};
    const std::vector<fs::path> installed = {excel_.startupFolder() / kMacroWorkbook,
                                             excel_.startupFolder() / kAddInWorkbook, installedHelp_};
    for (const auto& file : installed) {
        WriteBytes(file, old);
        WriteBytes(DownloadMark(file), {'Z', '=', '3'});
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook, kHelpFile}) {
        WriteBytes(DownloadMark(medium.folder() / name), {'Z', '=', '3'});
        ::SetFileAttributesW((medium.folder() / name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(RunInstallerToEnd(medium), kCompleted);
        ExpectInstalledFrom(medium, excel_.startupFolder());
        for (const auto& file : installed) {
            EXPECT_FALSE(HasDownloadMark(file)) << file.string();
            EXPECT_EQ(::GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
                << file.string();
        }
    }
    Process uninstaller = StartFromMedium(medium, Program::Uninstaller);
    Press(WaitForDesign(uninstaller, kUnInstallText), L"Ok");
    EXPECT_EQ(WaitForExit(uninstaller, kRunTimeout), kCompleted);
    for (const auto& file : installed) EXPECT_FALSE(fs::exists(file)) << file.string();
    EXPECT_TRUE(HasDownloadMark(medium.folder() / kHelpFile)) << "the medium keeps its own mark";
    EXPECT_NE(::GetFileAttributesW((medium.folder() / kHelpFile).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook, kHelpFile}) {
        ::SetFileAttributesW((medium.folder() / name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A screen reader hears the prompt as a dialog that asks its question, and the progress window as
// an alert with its message.
TEST_F(Installer, AsksAgainWhileExcelRunsAndGoesOnOnceItIsClosed) {
    Medium medium(mediumFolder_.path());
    UserExcel usersExcel;
    Process installer = StartFromMedium(medium, Program::Installer);
    const WinEventRecorder events(installer.Pid());

    HWND prompt = WaitForDesign(installer, kExitExcelText);
    ExpectSpokenAs(events, EVENT_SYSTEM_DIALOGSTART, prompt, ROLE_SYSTEM_DIALOG, L"Please close Excel!");
    ExpectSpokenAs(events, 0, Owner(prompt), ROLE_SYSTEM_CLIENT, L"");
    Press(prompt, L"Ok");  // without closing Excel
    WaitForWindowGone(prompt);
    HWND again = WaitForDesign(installer, kExitExcelText);
    EXPECT_FALSE(fs::exists(excel_.startupFolder() / kMacroWorkbook));

    usersExcel.Close();
    ASSERT_TRUE(usersExcel.WaitForEnd(10s));
    ASSERT_TRUE(WaitUntilNoExcelWindow(10s));
    Press(again, L"Ok");
    HWND copying = WaitForDesign(installer, kCopyingText);
    ExpectSpokenAs(events, EVENT_SYSTEM_ALERT, copying, ROLE_SYSTEM_ALERT, L"Copying files, please wait...");
    events.WaitFor(kLiveRegionChangedEvent, FindChildByText(copying, kCopyingText), 0ms);
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
    ExpectInstalledFrom(medium, excel_.startupFolder());
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 1u);
    excel_.ExpectNothingLeftRunning();
}

// With nobody at the desk: no window at any moment, the files in place and gone again, and a
// running Excel ends the run with exit 3 and nothing changed. "/?" and an unknown argument show
// their box and do nothing else.
TEST_F(Installer, QuietRunsShowNoWindowAndSwitchesAreListed) {
    Medium medium(mediumFolder_.path());
    const auto runQuietly = [&](Program program, const wchar_t* switches) {
        Process run = StartProgram(medium.ProgramPath(program).wstring(), medium.folder().wstring(), switches);
        WindowFilter shown;
        shown.processId = run.Pid();
        for (int look = 0; IsRunning(run) && look < 300; ++look) {
            EXPECT_TRUE(FindTopLevelWindows(shown).empty()) << "a window of a quiet run";
            std::this_thread::sleep_for(20ms);
        }
        const DWORD exitCode = WaitForExit(run, kRunTimeout);
        WaitUntilNoExcelWindow(10s);
        return exitCode;
    };
    const fs::path log = mediumFolder_.path() / L"setup log.txt";
    const std::wstring logSwitch = L" /log \"" + log.wstring() + L"\"";
    EXPECT_EQ(runQuietly(Program::Installer, (L"/quiet" + logSwitch).c_str()), kCompleted);
    ExpectInstalledFrom(medium, excel_.startupFolder());
    EXPECT_EQ(runQuietly(Program::Uninstaller, (L"-QUIET" + logSwitch).c_str()), kCompleted);
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    {
        UserExcel usersExcel;
        EXPECT_EQ(runQuietly(Program::Installer, (L"/Quiet" + logSwitch).c_str()), 3u);
    }
    {
        // Another account's run in the session (an administrator's "Run as"), whose lock this
        // account may not open: a run all the same.
        PSECURITY_DESCRIPTOR denyingAll = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1,
                                                                           &denyingAll, nullptr));
        SECURITY_ATTRIBUTES locked{sizeof(locked), denyingAll, FALSE};
        const win32::UniqueKernelHandle otherRun(::CreateMutexW(&locked, TRUE, program::kOneRunMutex));
        ::LocalFree(denyingAll);
        ASSERT_TRUE(otherRun);
        // As the programs ask for it.
        ASSERT_EQ(::CreateMutexW(nullptr, TRUE, program::kOneRunMutex), nullptr);
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(runQuietly(Program::Uninstaller, (L"/quiet" + logSwitch).c_str()), 5u);
    }
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 2u);
    medium.RemoveFile(kHelpFile);
    EXPECT_EQ(runQuietly(Program::Installer, (L"/quiet" + logSwitch).c_str()), kFailed);
    const std::vector<char> logBytes = ReadBytes(log);
    const std::string text(logBytes.begin(), logBytes.end());
    const std::vector<std::wstring> lines = {L"Quenzo Halvorn installer 2.0.0.1, account ",
                                             L"switches /quiet /log " + log.wstring() + L": started",
                                             L"Excel's start-up folder: " + excel_.startupFolder().wstring(),
                                             L"Copied " + (medium.folder() / kMacroWorkbook).wstring() + L" to " +
                                                 (excel_.startupFolder() / kMacroWorkbook).wstring(),
                                             L"Excel told to quit",
                                             L"Exit code 0",
                                             L"Quenzo Halvorn uninstaller 1.0.0.0",
                                             L"Removed " + (excel_.startupFolder() / kAddInWorkbook).wstring(),
                                             L"/quiet forbids asking",
                                             L"Exit code 3",
                                             L"already running",
                                             L"Exit code 5",
                                             L"Copying QuenzoHalvorn.chm into the Windows Help folder",
                                             L"Exit code 1"};
    for (const std::wstring& line : lines) {
        EXPECT_NE(text.find(Utf8(line)), std::string::npos) << Utf8(line) << " not in\n" << text;
    }
    for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook}) fs::remove(excel_.startupFolder() / name);
    // A log that cannot be written stops the run before anything is done.
    EXPECT_EQ(runQuietly(Program::Installer, (L"/quiet /log \"" + mediumFolder_.path().wstring() + L"\"").c_str()),
              kFailed);
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    fs::remove(log);

    for (const auto& [switches, exitCode] : {std::pair{L"/?", 0u}, std::pair{L"/install", 87u}}) {
        Process run =
            StartProgram(medium.ProgramPath(Program::Installer).wstring(), medium.folder().wstring(), switches);
        const std::wstring box = ReadAndDismissReport(run);
        EXPECT_TRUE(Contains(box, L"/quiet") && Contains(box, L"87")) << Utf8(box);
        EXPECT_EQ(Contains(box, L"Unknown argument: /install"), exitCode == 87u) << Utf8(box);
        EXPECT_EQ(WaitForExit(run, kRunTimeout), exitCode);
    }
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    excel_.ExpectNothingLeftRunning();
}

// Also: one run of the kit at a time; a second start, of either program, changes nothing, and
// writes its own lines into the log the first one writes, as a deployment's runs share one.
TEST_F(Installer, CancelAtTheExcelPromptChangesNothingAndStartsNoExcel) {
    Medium medium(mediumFolder_.path());
    UserExcel usersExcel;
    // Relative: from the folder each starts in, the medium's; the log names it in full.
    const std::wstring logSwitch = L"/log setup.log";
    const auto start = [&](Program program) {
        return StartProgram(medium.ProgramPath(program).wstring(), medium.folder().wstring(), logSwitch);
    };
    Process installer = start(Program::Installer);
    HWND prompt = WaitForDesign(installer, kExitExcelText);
    Process second = start(Program::Uninstaller);
    EXPECT_TRUE(Contains(ReadAndDismissReport(second), L"already running"));
    EXPECT_EQ(WaitForExit(second, kRunTimeout), 5u);
    Press(prompt, L"Cancel");
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCancelled);
    const std::vector<char> log = ReadBytes(mediumFolder_.path() / L"setup.log");
    const std::string text(log.begin(), log.end());
    for (const std::string& line :
         {std::string("installer 2.0.0.1"), std::string("uninstaller 1.0.0.0"),
          Utf8(L"/log " + (medium.folder() / L"setup.log").wstring() + L": started"), std::string("already running"),
          std::string("Exit code 5"), std::string("Cancelled by the user"), std::string("Exit code 2")}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " not in\n" << text;
    }
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    EXPECT_FALSE(fs::exists(installedHelp_));
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 0u);
}

// A medium without a file, and an installer run from the temporary folder, where Windows puts
// a program opened inside a zip archive.
TEST_F(Installer, MissingSourceFileIsReportedEarlierCopiesStayAndExcelQuits) {
    const struct {
        const char* name;
        fs::path folder;
        const wchar_t* why;
    } cases[] = {{"on a drive", fs::path(), L"The file is not on the installation medium."},
                 {"inside a zip", mediumFolder_.path(), L"Extract all the files of the zip first"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& file : {excel_.startupFolder() / kMacroWorkbook, installedHelp_}) fs::remove(file);
        excel_.settings.SetJournal();
        Medium medium(c.folder);
        medium.RemoveFile(kAddInWorkbook);
        Process installer = StartFromMedium(medium, Program::Installer);
        HWND box = WaitForReport(installer);
        ExpectReportInFront(box);
        const std::wstring report = DismissReport(box);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
        EXPECT_TRUE(Contains(report, (medium.folder() / kAddInWorkbook).wstring())) << report;
        EXPECT_TRUE(Contains(report, c.why)) << report;
        EXPECT_TRUE(Contains(report, (excel_.startupFolder() / kMacroWorkbook).wstring()))
            << "names what is in place: " << report;
        EXPECT_EQ(FileNamesIn(excel_.startupFolder()), (std::vector<std::wstring>{kMacroWorkbook}));
        EXPECT_FALSE(fs::exists(installedHelp_));
        EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
        excel_.ExpectNothingLeftRunning();
    }
}

// Moves the Windows folder's Help folder aside for one test.
class HelpFolderAway {
public:
    HelpFolderAway() : help_(HelpFolder()), away_(help_.parent_path() / L"Help.away") { fs::rename(help_, away_); }
    ~HelpFolderAway() {
        std::error_code ignored;
        fs::rename(away_, help_, ignored);
    }

private:
    fs::path help_;
    fs::path away_;
};

// Makes a folder refuse every change for one test, root's too, whom permission bits do not stop:
// chattr +i, a Unix program, which Wine starts like any other but gives no handle to wait on.
class ImmutableFolder {
public:
    explicit ImmutableFolder(fs::path folder) : folder_(std::move(folder)) { Chattr(L"+i", true); }
    ~ImmutableFolder() {
        try {
            Chattr(L"-i", false);
        } catch (const std::exception& failure) {
            ADD_FAILURE() << failure.what();
        }
    }

private:
    // Whether a folder can be made in it. One made just before the change took effect, and left
    // there, is removed at the next look that may.
    bool Refuses() const {
        const fs::path probe = folder_ / L"qh-probe";
        ::RemoveDirectoryW(probe.c_str());
        if (!::CreateDirectoryW(probe.c_str(), nullptr)) return true;
        ::RemoveDirectoryW(probe.c_str());
        return false;
    }
    void Chattr(const wchar_t* change, bool refusing) const {
        using UnixFileName = char*(CDECL*)(LPCWSTR);
        const auto toUnix = reinterpret_cast<UnixFileName>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* path = toUnix ? toUnix(folder_.c_str()) : nullptr;
        if (!path) throw std::runtime_error("no Unix path for " + folder_.string());
        std::wstring command =
            L"/usr/bin/chattr " + std::wstring(change) + L" \"" + std::wstring(path, path + std::strlen(path)) + L"\"";
        ::HeapFree(::GetProcessHeap(), 0, path);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &started)) {
            throw std::runtime_error("cannot start chattr");
        }
        const win32::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
        if (!PollUntil(10s, [&] { return Refuses() == refusing; })) throw std::runtime_error("chattr had no effect");
    }

    fs::path folder_;
};

// Wine gives every process an administrator's full token. A Help folder that refuses even that is
// a failure, reported as such: the installer does not start itself again to ask for the
// administrator it already is. The workbooks stay.
TEST_F(Installer, HelpFolderThatRefusesEvenAnAdministratorIsReportedWorkbooksStay) {
    Medium medium(mediumFolder_.path());
    std::wstring report;
    {
        const ImmutableFolder locked(HelpFolder());
        Process installer = StartFromMedium(medium, Program::Installer);
        const ProcessesOfRun processes(installer);
        report = ReadAndDismissReport(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
        EXPECT_EQ(processes.Total(), 1 + AutomationInstances(excel_.Journal()));
    }
    EXPECT_TRUE(Contains(report, L"Windows refused access to its Help folder, even to an administrator"))
        << Utf8(report);
    EXPECT_EQ(FileNamesIn(excel_.startupFolder()), (std::vector<std::wstring>{kAddInWorkbook, kMacroWorkbook}));
    excel_.ExpectNothingLeftRunning();
}

TEST_F(Installer, MissingHelpFolderIsReportedWorkbooksStayAndExcelQuits) {
    Medium medium(mediumFolder_.path());
    std::wstring report;
    {
        HelpFolderAway away;
        Process installer = StartFromMedium(medium, Program::Installer);
        report = ReadAndDismissReport(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
    }
    EXPECT_TRUE(Contains(report, L"\\Help\\")) << report;
    EXPECT_EQ(FileNamesIn(excel_.startupFolder()), (std::vector<std::wstring>{kAddInWorkbook, kMacroWorkbook}));
    EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
    excel_.ExpectNothingLeftRunning();
}

TEST_F(Installer, EmptyStartupFolderFromExcelIsRefusedBeforeAnyCopy) {
    Medium medium(mediumFolder_.path());
    for (const wchar_t* reported : {L"", L"\\"}) {
        excel_.ReportStartupPathAs(reported);
        Process installer = StartFromMedium(medium, Program::Installer);
        const std::wstring report = ReadAndDismissReport(installer);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
        EXPECT_TRUE(Contains(report, L"Asking Excel for its start-up folder")) << report;
        EXPECT_TRUE(Contains(report, L"No file had been changed")) << report;
        EXPECT_FALSE(fs::exists(fs::path(L"C:\\") / kMacroWorkbook));
        EXPECT_FALSE(fs::exists(installedHelp_));
    }
    excel_.ExpectNothingLeftRunning();
}

TEST(InstallerNonAscii, InstallsIntoAStartupFolderWithNonAsciiCharacters) {
    const fs::path help = HelpFolder() / kHelpFile;
    ExcelBench excel(L"D\u00e9marrage \u03a9\u03bc\u03ad\u03b3\u03b1 \u542f\u52a8");
    TempFolder mediumFolder(L"m\u00e9dium-\u00fc");
    Medium medium(mediumFolder.path());
    EXPECT_EQ(RunInstallerToEnd(medium), kCompleted);
    EXPECT_EQ(ReadBytes(excel.startupFolder() / kMacroWorkbook), ReadBytes(medium.folder() / kMacroWorkbook));
    EXPECT_EQ(ReadBytes(excel.startupFolder() / kAddInWorkbook), ReadBytes(medium.folder() / kAddInWorkbook));
    fs::remove(help);
}

// --- Excel as it is met in the field.

bool AnyContains(const std::vector<std::wstring>& lines, const std::wstring& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) { return Contains(line, part); });
}

TEST_F(Installer, ExcelThatIsBusyAtFirstOrSlowToStartIsWaitedFor) {
    const struct {
        const char* name;
        void (*excel)(StandInSettingsScope&);
        const wchar_t* journalEvent;  // the stand-in's lines that show it behaved so
        std::vector<std::wstring> shown;
    } cases[] = {
        // Both refusals a busy Excel gives.
        {"busy for its first 4 s",
         [](StandInSettingsScope& s) { s.SetBusyFor(4s); },
         L"refused",
         {L"0x80010001", L"0x8001010A"}},
        {"5 s to start", [](StandInSettingsScope& s) { s.SetSlowStart(5s); }, L"slow-start", {L"5000 ms"}},
    };
    Medium medium(mediumFolder_.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearStandInSettings();
        excel_.settings.SetJournal();
        excel_.settings.SetStartupPath(excel_.startupFolder().wstring());
        c.excel(excel_.settings);
        EXPECT_EQ(RunInstallerToEnd(medium), kCompleted);
        ExpectInstalledFrom(medium, excel_.startupFolder());
        for (const auto& part : c.shown)
            EXPECT_TRUE(AnyContains(excel_.JournalDetails(c.journalEvent), part)) << Utf8(part);
        EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
        excel_.ExpectNothingLeftRunning();
    }
}

// Only the kit's own Excel is ended: another program's, started while the kit waits, runs on.
TEST_F(Installer, ExcelThatStopsAnsweringIsEndedAfterAMinuteAndReported) {
    Medium medium(mediumFolder_.path());
    excel_.settings.SetSilentIn(L"StartupPath");
    Process installer = StartFromMedium(medium, Program::Installer);
    ASSERT_TRUE(PollUntil(20s, [&] { return !excel_.JournalDetails(L"silent").empty(); }));
    const auto silentSince = std::chrono::steady_clock::now();
    const DWORD ownExcel = excel_.Journal().front().processId;

    // The start-up window goes on being handled while the program waits.
    WindowFilter startupWindow;
    startupWindow.processId = installer.Pid();
    startupWindow.clientSize = kStartupWindowSize;
    HWND form1 = WaitForWindow(startupWindow);
    std::this_thread::sleep_for(6s);
    DWORD_PTR ignored = 0;
    EXPECT_NE(::SendMessageTimeoutW(form1, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored), 0);
    EXPECT_FALSE(::IsHungAppWindow(form1));

    // Later than the system would start the kit's own: only its window tells them apart.
    std::this_thread::sleep_for(5s);
    ComApartmentGuard apartment;
    auto [created, otherExcel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD otherProcess = excel_.Journal().back().processId;
    ASSERT_NE(otherProcess, ownExcel);

    HWND box = WaitForReport(installer, 90s);
    const auto waited = std::chrono::steady_clock::now() - silentSince;
    EXPECT_GE(waited, 55s);
    EXPECT_LE(waited, 75s);
    ExpectReportInFront(box);
    const std::wstring report = DismissReport(box);
    EXPECT_TRUE(Contains(report, L"stopped answering")) << Utf8(report);
    EXPECT_TRUE(Contains(report, L"The Excel this program had started was ended")) << Utf8(report);
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    EXPECT_TRUE(WaitForProcessEnd(ownExcel, 5s));
    ASSERT_TRUE(IsProcessRunning(otherProcess)) << "another program's Excel was ended";
    EXPECT_EQ(CallMethod(*otherExcel, L"Quit"), S_OK);
    otherExcel.reset();
    excel_.ExpectNothingLeftRunning();
}

// The system waits for a starting Excel only so long (Wine: 30 s). One that hangs at its start
// (a prompt nobody sees) has no window yet and would run on hidden for ever; one that refuses its
// creation as busy runs on too, and asking again would only start another.
TEST_F(Installer, ExcelThatHangsAtItsStartOrRefusesItsCreationIsEndedAndReported) {
    const struct {
        const char* name;
        void (*excel)(StandInSettingsScope&);
        const wchar_t* journalEvent;
        const wchar_t* why;
    } cases[] = {
        {"hanging before its window", [](StandInSettingsScope& s) { s.SetHangAtStart(true); }, L"hang-at-start",
         L"cannot be started"},
        {"refusing its creation as busy", [](StandInSettingsScope& s) { s.SetRefuseCreation(true); }, L"refused",
         L"stayed busy"},
    };
    Medium medium(mediumFolder_.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearStandInSettings();
        excel_.settings.SetJournal();
        c.excel(excel_.settings);
        Process installer = StartFromMedium(medium, Program::Installer);
        HWND box = WaitForReport(installer, 90s);
        const std::wstring report = DismissReport(box);
        EXPECT_TRUE(Contains(report, c.why)) << Utf8(report);
        EXPECT_TRUE(Contains(report, L"The Excel process started for this program, which showed no window, was ended"))
            << Utf8(report);
        EXPECT_TRUE(Contains(report, L"No file had been changed")) << Utf8(report);
        EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
        EXPECT_FALSE(excel_.JournalDetails(c.journalEvent).empty());
        EXPECT_EQ(AutomationInstances(excel_.Journal()), 1u) << "Excel's creation asked again";
        excel_.ExpectNothingLeftRunning();
    }
}

// An Excel that asks its user something at its start (a sign-in or activation question) shows a
// window on screen: it is left for them to answer, and the report says so.
TEST_F(Installer, ExcelWaitingForItsUserAtItsStartIsLeftToThemAndReported) {
    Medium medium(mediumFolder_.path());
    excel_.settings.SetPromptAtStart(true);
    Process installer = StartFromMedium(medium, Program::Installer);
    const std::wstring report = ReadAndDismissReport(installer, 90s);
    EXPECT_TRUE(Contains(report, L"waiting for an answer in a window of its own")) << Utf8(report);
    EXPECT_TRUE(Contains(report, L"It was left running, for you to answer.")) << Utf8(report);
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kFailed);
    const DWORD waiting = excel_.Journal().front().processId;
    ASSERT_TRUE(IsProcessRunning(waiting));
    WindowFilter question;
    question.processId = waiting;
    question.className = L"#32770";
    ::PostMessageW(WaitForWindow(question), WM_CLOSE, 0, 0);  // the user closes it, and Excel with it
    EXPECT_TRUE(WaitForProcessEnd(waiting, 10s));
    excel_.ExpectNothingLeftRunning();
}

// An upgrade script runs the uninstaller and then the installer, quietly, one right after the
// other, and Excel takes seconds to end once it has quit. Each program ends only after its Excel
// has, so that the next never meets it. Beside them runs another program's automation Excel (a
// report generator, a sync tool), with no window on screen: the user could not close it, so
// neither program asks about it (which /quiet would answer with 3), and it goes on serving its
// own program.
TEST_F(Installer, BackToBackQuietRunsMeetNoExcelOfTheRunBeforeAndLeaveAnotherProgramsAlone) {
    Medium medium(mediumFolder_.path());
    excel_.settings.SetQuitDelay(3s);
    ComApartmentGuard apartment;
    auto [created, otherExcel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD otherProcess = excel_.Journal().back().processId;
    for (const Program program : {Program::Uninstaller, Program::Installer}) {
        Process run = StartProgram(medium.ProgramPath(program).wstring(), medium.folder().wstring(), L"/quiet");
        EXPECT_EQ(WaitForExit(run, kRunTimeout), kCompleted);
        EXPECT_EQ(UnendedProcesses(excel_.Journal()), std::vector<DWORD>{otherProcess}) << "its Excel outlived it";
    }
    ExpectInstalledFrom(medium, excel_.startupFolder());
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 3u);
    ASSERT_TRUE(IsProcessRunning(otherProcess)) << "another program's Excel was ended";
    EXPECT_EQ(CallMethod(*otherExcel, L"Quit"), S_OK);
    otherExcel.reset();
    excel_.ExpectNothingLeftRunning();
}

// The medium scripts/release makes, whose installer carries the sums of the add-in files beside
// it: scripts/checks/release names it (QH_RELEASE_MEDIUM). Its signed programs install and
// uninstall; with one byte of a workbook changed, the installer refuses it before Excel is even
// looked for (a running Excel would have been asked about first), and installs nothing.
TEST_F(Installer, ReleaseMediumInstallsAndOneChangedByteIsRefused) {
    const auto released = EnvironmentVariable(L"QH_RELEASE_MEDIUM");
    if (!released) GTEST_SKIP() << "scripts/checks/release runs this with the medium it made";
    for (const auto& file : fs::directory_iterator(WinePathFromUnix(*released)))
        fs::copy_file(file.path(), mediumFolder_.path() / file.path().filename());
    const auto start = [&](const wchar_t* program) {
        return StartProgram((mediumFolder_.path() / program).wstring(), mediumFolder_.path().wstring());
    };
    Process installer = start(L"QuenzoHalvornInstall.exe");
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
    EXPECT_EQ(ReadBytes(excel_.startupFolder() / kAddInWorkbook), ReadBytes(mediumFolder_.path() / kAddInWorkbook));
    Process uninstaller = start(L"QuenzoHalvornUnInstall.exe");
    Press(WaitForDesign(uninstaller, kUnInstallText), L"Ok");
    EXPECT_EQ(WaitForExit(uninstaller, kRunTimeout), kCompleted);
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());

    std::vector<char> workbook = ReadBytes(mediumFolder_.path() / kAddInWorkbook);
    workbook.back() = static_cast<char>(workbook.back() ^ 1);
    WriteBytes(mediumFolder_.path() / kAddInWorkbook, workbook);
    UserExcel usersExcel;
    Process changed = start(L"QuenzoHalvornInstall.exe");
    const std::wstring report = ReadAndDismissReport(changed);
    EXPECT_TRUE(Contains(report, L"Checking QZ Function.xla on the installation medium")) << Utf8(report);
    EXPECT_TRUE(Contains(report, L"not the one this installer was made with")) << Utf8(report);
    EXPECT_EQ(WaitForExit(changed, kRunTimeout), kFailed);
    EXPECT_TRUE(FileNamesIn(excel_.startupFolder()).empty());
    EXPECT_FALSE(fs::exists(installedHelp_));
    EXPECT_EQ(AutomationInstances(excel_.Journal()), 2u) << "Excel started for the changed medium";
}

TEST_F(Installer, MissingStartupFolderIsCreatedTwoLevelsDeep) {
    Medium medium(mediumFolder_.path());
    excel_.UseMissingStartupFolder(L"Fresh\\Excel\\XLSTART");
    ASSERT_FALSE(fs::exists(excel_.startupFolder().parent_path()));
    EXPECT_EQ(RunInstallerToEnd(medium), kCompleted);
    EXPECT_EQ(excel_.JournalDetails(L"missing"), (std::vector<std::wstring>{excel_.startupFolder().wstring()}));
    ExpectInstalledFrom(medium, excel_.startupFolder());
    excel_.ExpectNothingLeftRunning();
}

// Excel reads member names in the language of the locale that comes with the call, and a user's
// locale is often not English. ctest runs this case once more as German.* with the user locale
// German (Wine takes it from LC_ALL); elsewhere it is skipped.
TEST_F(Installer, LocalisedExcelIsAskedInEnglishUnderAGermanUserLocale) {
    if (::GetUserDefaultLCID() != 0x0407) GTEST_SKIP() << "needs a German user locale";
    Medium medium(mediumFolder_.path());
    excel_.settings.SetLocalised(true);
    EXPECT_EQ(RunInstallerToEnd(medium), kCompleted);
    ExpectInstalledFrom(medium, excel_.startupFolder());
    EXPECT_TRUE(excel_.JournalDetails(L"unknown").empty());
    EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}));
    excel_.ExpectNothingLeftRunning();
}

TEST_F(Installer, ProgressWindowIsUpForAboutASecondBeforeTheFirstFileAppears) {
    Medium medium(mediumFolder_.path());
    Process installer = StartFromMedium(medium, Program::Installer);
    WaitForDesign(installer, kCopyingText, 20s);
    const auto shown = std::chrono::steady_clock::now();
    const fs::path first = excel_.startupFolder() / kMacroWorkbook;
    const bool appeared = PollUntil(10s, [&] { return fs::exists(first); });
    const auto waited = std::chrono::steady_clock::now() - shown;
    ASSERT_TRUE(appeared);
    // The window is seen a little after it appears, so the measured wait is at most the pause.
    EXPECT_GE(waited, 700ms);
    EXPECT_LE(waited, 2500ms);
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
}

// What the shell is asked for when the help file needs an administrator: "runas" of the program with
// the reserved switch alone, its prompt owned by the progress window, and no second zone check of
// the marked medium (Wine runs none, so the request itself is what a test can see). A drive made
// with subst (DefineDosDevice, as subst.exe makes one) is reached by the folder it stands for,
// which QueryDosDevice names; a disk's letter is no such drive.
TEST(AdministratorStart, IsRunasWithoutASecondZoneCheckAndReachesASubstDriveByItsFolder) {
    const std::wstring program = L"\\\\server\\share\\QuenzoHalvornInstall.exe", parameters(kHelpFileStepSwitch);
    const HWND owner = ::GetDesktopWindow();
    const SHELLEXECUTEINFOW start = win32::AdministratorStartOf(program, parameters, owner);
    EXPECT_EQ(std::wstring(start.lpVerb) + L" " + start.lpFile + L" " + start.lpParameters,
              L"runas " + program + L" /elevated-help-file");
    EXPECT_EQ(start.hwnd, owner);
    for (const ULONG flag : {SEE_MASK_NOZONECHECKS, SEE_MASK_NOCLOSEPROCESS, SEE_MASK_FLAG_NO_UI})
        EXPECT_EQ(start.fMask & flag, flag) << std::hex << flag;

    win32::Win32FileDetails files;
    ASSERT_TRUE(::DefineDosDeviceW(0, L"S:", L"C:\\windows\\help"));
    EXPECT_EQ(files.SubstitutedPathOf(L"S:"), L"C:\\windows\\help");
    EXPECT_TRUE(::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"S:", nullptr));
    EXPECT_EQ(files.SubstitutedPathOf(L"S:"), L"");
    EXPECT_EQ(files.SubstitutedPathOf(L"C:"), L"");
}

}  // namespace
}  // namespace qh::testing
