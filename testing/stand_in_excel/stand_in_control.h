#pragma once
// What a test uses to steer the stand-in Excel and to check what was asked of it.
//
//   qh::testing::StandInSettingsScope settings;           // clean settings, cleared again at the end
//   settings.SetJournal(qh::testing::FreshJournalPath());
//   ... run the program under test ...
//   EXPECT_TRUE(qh::testing::WaitUntilNoExcelWindow(10s));
//   EXPECT_EQ(qh::testing::InstancesLeftRunning(settings.journal()), 0u);
//
// Tests that use the stand-in need the ctest fixture "StandInExcel" (it registers the server) and
// run one at a time in their Wine bench (tests/CMakeLists.txt): the settings and the XLMAIN window
// are machine-wide.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stand_in_identity.h"
#include "win32/unique_handle.h"

namespace qh::testing {

// The built StandInExcel.exe, as a path the running Windows program can open.
std::wstring StandInExcelPath();
// "/a/b" -> "Z:\a\b" (Wine maps Z: to the Unix root); any other path is returned as it is.
std::wstring WindowsPathFromUnixPath(std::wstring_view path);

// --- Settings (HKCU\Software\QuenzoHalvornTesting\StandInExcel), read by the stand-in at each use.
void SetStartupPathSetting(std::wstring_view text);
void SetFailCreationSetting(bool fail);
void SetJournalSetting(std::wstring_view path);
void SetNumberSetting(const wchar_t* valueName, DWORD number);
void SetTextSetting(const wchar_t* valueName, std::wstring_view text);
void ClearStandInSettings();

// Clears the settings when made and when destroyed, so no test sees another's.
class StandInSettingsScope {
public:
    StandInSettingsScope();
    StandInSettingsScope(const StandInSettingsScope&) = delete;
    StandInSettingsScope& operator=(const StandInSettingsScope&) = delete;
    ~StandInSettingsScope();

    void SetStartupPath(std::wstring_view text) { SetStartupPathSetting(text); }
    void SetFailCreation(bool fail) { SetFailCreationSetting(fail); }
    // Excel's rough edges (see stand_in_identity.h).
    void SetBusyFor(std::chrono::milliseconds time) {
        SetNumberSetting(kBusyForValue, static_cast<DWORD>(time.count()));
    }
    void SetSilentIn(std::wstring_view member) { SetTextSetting(kSilentInValue, member); }
    void SetSlowStart(std::chrono::milliseconds time) {
        SetNumberSetting(kSlowStartValue, static_cast<DWORD>(time.count()));
    }
    void SetHangAtStart(bool hang) { SetNumberSetting(kHangAtStartValue, hang ? 1 : 0); }
    void SetRefuseCreation(bool refuse) { SetNumberSetting(kRefuseCreationValue, refuse ? 1 : 0); }
    void SetLeaveStartupFolderMissing(bool leave) { SetNumberSetting(kLeaveStartupFolderMissingValue, leave ? 1 : 0); }
    void SetLocalised(bool localised) { SetNumberSetting(kLocalisedValue, localised ? 1 : 0); }
    void SetQuitDelay(std::chrono::milliseconds time) {
        SetNumberSetting(kQuitDelayValue, static_cast<DWORD>(time.count()));
    }
    void SetPromptAtStart(bool prompt) { SetNumberSetting(kPromptAtStartValue, prompt ? 1 : 0); }
    // Starts journalling to `path` (a fresh temporary file when empty) and remembers it.
    void SetJournal(std::wstring path = {});
    const std::wstring& journal() const noexcept { return journal_; }

private:
    std::wstring journal_;
};

// --- The journal: "started <pid> automation|user", "call <pid> <member>", "unknown <pid> <name>",
// "quit <pid>", "ended <pid>"; and with the rough edges set: "refused <pid> <name> <code>",
// "silent <pid> <member>", "slow-start <pid> <n> ms", "hang-at-start <pid>", "prompt-at-start <pid>",
// "missing <pid> <folder>",
// "unknown <pid> <name> in locale <lcid>".
struct JournalEntry {
    std::wstring event;
    DWORD processId = 0;
    std::wstring detail;
    bool operator==(const JournalEntry&) const = default;
};

// A path in the temporary folder that no journal uses yet (the file itself is not created).
std::wstring FreshJournalPath();
// Every line, without line ends; none when the file does not exist.
std::vector<std::wstring> ReadJournalLines(const std::wstring& path);
std::optional<JournalEntry> ParseJournalLine(std::wstring_view line);
std::vector<JournalEntry> ReadJournal(const std::wstring& path);
// The processes with a "started" line and no "ended" line, in order of start.
std::vector<DWORD> UnendedProcesses(const std::vector<JournalEntry>& journal);
// How many instances were started for automation (not by hand).
size_t AutomationInstances(const std::vector<JournalEntry>& journal);

// --- Processes and windows.
bool ExcelWindowExists();
// The top-level XLMAIN window of one process, hidden ones included.
HWND FindExcelWindowOf(DWORD processId);
bool WaitUntilNoExcelWindow(std::chrono::milliseconds timeout);
bool IsProcessRunning(DWORD processId);
bool WaitForProcessEnd(DWORD processId, std::chrono::milliseconds timeout);
// Waits (bounded) until each unended process of the journal has ended, without helping it; the
// number still running afterwards.
size_t InstancesLeftRunning(const std::wstring& journalPath,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Cleanup after a test: closes every unended process of the journal through its window, and
// terminates it if that does not end it in time. The number of processes it had to end.
size_t EndLeftoverInstances(const std::wstring& journalPath);

// "The user's Excel": the stand-in started by hand, with a visible XLMAIN window.
class UserExcel {
public:
    // Starts it and waits (bounded) for its visible window; throws std::runtime_error otherwise.
    UserExcel();
    UserExcel(const UserExcel&) = delete;
    UserExcel& operator=(const UserExcel&) = delete;
    // Ends it if the test did not: close, then terminate.
    ~UserExcel();

    DWORD processId() const noexcept { return processId_; }
    HWND window() const noexcept { return window_; }
    // As the user's close box would.
    void Close() const noexcept;
    bool WaitForEnd(std::chrono::milliseconds timeout) const;

private:
    win32::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

}  // namespace qh::testing
