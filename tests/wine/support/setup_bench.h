#pragma once
// A bench for running the real programs under Wine: a distribution medium in a folder of its own,
// an Excel start-up folder of its own (through the stand-in's settings), the windows' texts, and
// the report a failed run shows.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "setup_programs.h"
#include "stand_in_control.h"
#include "ui_driver/ui_driver.h"

namespace qh::testing {

using namespace std::chrono_literals;

inline constexpr wchar_t kMacroWorkbook[] = L"QZ Macro.xls";
inline constexpr wchar_t kAddInWorkbook[] = L"QZ Function.xla";
inline constexpr wchar_t kHelpFile[] = L"QuenzoHalvorn.chm";

enum class Program { Installer, Uninstaller };

inline bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// How long a whole run may take, and how the programs end.
inline constexpr auto kRunTimeout = 30s;
inline constexpr DWORD kCompleted = 0;
inline constexpr DWORD kFailed = 1;
inline constexpr DWORD kCancelled = 2;

// A folder made for one test and removed with everything in it afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& nameHint);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

std::vector<char> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<char>& bytes);
// Distinct contents per file, so that a copy under the wrong name shows.
std::vector<char> SampleContent(const std::wstring& fileName);

// The Windows folder's Help folder, where the help file goes.
std::filesystem::path HelpFolder();

// A distribution medium: the program and the three add-in files in one folder.
// Put it in `folder` (removed at the end), or at the root of the bench's spare drive Q: when
// `folder` is empty.
class Medium {
public:
    explicit Medium(const std::filesystem::path& folder);
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium();

    const std::filesystem::path& folder() const noexcept { return folder_; }
    std::filesystem::path ProgramPath(Program program) const;
    void RemoveFile(const std::wstring& fileName) const;

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> made_;
};

// The stand-in Excel set up for one test: its start-up folder and a journal.
class ExcelBench {
public:
    // `startupFolderName` is created under a fresh temporary folder; `reportedAs` (when not empty)
    // is what StartupPath returns instead of the plain folder path (a trailing backslash, say).
    explicit ExcelBench(const std::wstring& startupFolderName = L"XLSTART");
    ~ExcelBench();

    const std::filesystem::path& startupFolder() const noexcept { return startupFolder_; }
    void ReportStartupPathAs(const std::wstring& text);
    // Makes the start-up folder `relativePath` under this bench's folder, which does not exist
    // and which the stand-in does not create, as on a fresh profile.
    void UseMissingStartupFolder(const std::wstring& relativePath);
    std::vector<JournalEntry> Journal() const;
    // The members the programs called, in order ("StartupPath", "Quit").
    std::vector<std::wstring> MembersCalled() const;
    // The details of one kind of journal line ("refused" gives "StartupPath 0x80010001" ...).
    std::vector<std::wstring> JournalDetails(const std::wstring& event) const;
    size_t InstancesStarted() const;
    // Bounded: no instance of this test left running and no XLMAIN window anywhere.
    void ExpectNothingLeftRunning() const;

    StandInSettingsScope settings;

private:
    TempFolder root_;
    std::filesystem::path startupFolder_;
};

// The stand-in processes of the journal still running after `grace` each, ended by force; their
// process ids. The journal's "ended" line comes before the server leaves COM, and under Wine that
// last step has been seen to hang (once in 40 runs): such a process would hold the test runner's
// output open for ever.
std::vector<DWORD> EndStandInProcessesLeftBehind(const ExcelBench& excel, std::chrono::milliseconds grace = 5s);

Process StartFromMedium(const Medium& medium, Program program);

// Runs the installer to its end, as a user with Excel closed would, and waits (bounded) until the
// Excel instance it started has gone, so that a program started next passes its Excel guard.
// The installer's exit code.
DWORD RunInstallerToEnd(const Medium& medium, std::chrono::milliseconds timeout = 30s);

// Waits for the window that shows `text` and returns it.
HWND WaitForDesign(const Process& process, const std::wstring& text, std::chrono::milliseconds timeout = 15s);
// Presses the button captioned `caption` ("Ok", "Cancel") in that window.
void Press(HWND window, const std::wstring& caption);

// The window as a screen reader finds it, from this process: the event it raised as it appeared
// (none for 0), from its program and within a second of the test finding it; its client object's
// role, its name (the caption) and its description; and its logo's name.
void ExpectSpokenAs(const WinEventRecorder& events, DWORD event, HWND window, long role,
                    const std::wstring& description);

// The failure report: waits for the message box, returns its text and dismisses it.
std::wstring ReadAndDismissReport(const Process& process, std::chrono::milliseconds timeout = 20s);
HWND WaitForReport(const Process& process, std::chrono::milliseconds timeout = 20s);
std::wstring DismissReport(HWND box);
// The report must come to the front, owned by the program's start-up window while that is up.
void ExpectReportInFront(HWND box);

// Files in a folder, by name (empty when the folder does not exist).
std::vector<std::wstring> FileNamesIn(const std::filesystem::path& folder);

}  // namespace qh::testing
