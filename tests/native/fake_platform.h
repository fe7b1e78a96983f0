#pragma once
// A platform that records every call the sequences make, in order, and can be told to fail at
// any one of them. Calls are journalled as short texts ("CreateObject excel.application").
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/automation.h"
#include "core/call_thread.h"
#include "core/elevation.h"
#include "core/file_details.h"
#include "core/forms.h"
#include "core/platform.h"
#include "core/processes.h"
#include "core/window_lookup.h"

namespace qh::fake {

using namespace std::chrono_literals;

// A process of Excel's program; the fake's Excel window handles are its number plus kWindowBase.
struct FakeProcess {
    std::uint32_t id;
    std::chrono::milliseconds started;  // on the fake clock; the run starts at 0
    bool visible = false;               // shows a window: the user's
    bool ended = false;
    bool toldToQuit = false;
    std::optional<std::chrono::milliseconds> endsAt{};  // by itself, once told to quit and let go
};
inline constexpr std::int32_t kWindowBase = 0x10000;

// Who may change the Windows folder's Help folder.
enum class HelpFolder { Writable, AdministratorsOnly, Locked };

// What the user does with a modal dialog.
enum class UserAction { ClickOk, ClickCancel, CloseBox };

struct Entry {
    std::wstring call;
    std::chrono::milliseconds at;  // fake clock time of the call
};

class Journal {
public:
    // Records a call; throws a SetupError instead when it is the call chosen to fail.
    void Record(std::wstring call, bool mayFail = true);
    std::vector<std::wstring> Calls() const;
    std::optional<std::chrono::milliseconds> TimeOf(const std::wstring& call) const;

    std::optional<std::size_t> failAt;  // index of the failing call among the calls that may fail
    std::chrono::milliseconds clock{0};

private:
    std::vector<Entry> entries_;
    std::size_t failableSeen_ = 0;
};

// Every member has its initializer, so that a test names only what it changes ({.excelBusyFor = 4s}).
struct MachineState {
    std::wstring excelStartupPath = L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Excel\\XLSTART";
    std::wstring windowsPath = L"C:\\Windows";
    std::wstring programFolder = L"E:\\Setup";
    std::map<std::wstring, std::wstring> mappedDrives{};  // "Z:" and its network path
    std::map<std::wstring, std::wstring> substDrives{};   // "S:" and the folder it stands for
    std::set<std::wstring> existingFiles{};
    std::set<std::wstring> missingFolders{};             // every other folder exists
    std::map<std::wstring, std::uint32_t> attributes{};  // of files that have any; a copy takes its source's
    std::set<std::wstring> markedFiles{};      // downloaded: with a Zone.Identifier stream, which a copy takes along
    std::set<std::wstring> missingSources{};   // not on the medium
    std::optional<std::string> carriedSums{};  // what the build carries (ShippedSums); none: a build without them
    std::set<std::wstring> changedFiles{};     // on the medium, but not as shipped
    std::set<std::wstring> unreadableFiles{};  // on the medium, but refused to this account
    std::set<std::wstring> filesInUse{};       // held open by another program
    std::wstring temporaryFolder = L"C:\\Users\\ann\\AppData\\Local\\Temp";
    std::map<std::wstring, std::wstring> longNames{};  // a folder's short form and its long form
    bool scriptingRuntimeMissing = false;
    RunContext account{};  // the signed-in user's, at their desk
    HelpFolder helpFolder = HelpFolder::Writable;
    bool elevated = false;                                  // the process has an administrator's full token
    bool administratorDeclines = false;                     // the prompt for an administrator is declined
    std::optional<std::int32_t> administratorNotStarted{};  // the error that starting the copy meets
    std::uint32_t administratorExitCode = 0;                // what the administrator's copy ends with
    std::deque<bool> excelWindowLooks{};                    // the user's Excel on screen at successive looks; then not
    std::vector<WindowShown> otherExcelWindows{};           // other Excels' windows, at every look
    std::map<Form, std::deque<UserAction>> answers{};       // per dialog, successive actions

    // Excel's rough edges.
    int creationRefusals = 0;                   // the first creations of Excel are refused as busy
    std::chrono::milliseconds excelBusyFor{0};  // its calls are refused for this long after creation
    std::wstring excelSilentIn{};               // "CreateObject", "StartupPath" or "Quit" never answers
    bool silentCallReturnsWhenEnded = true;     // as on Windows and Wine: the call fails once Excel is gone
    bool excelNamesItsWindow = true;            // false: Hwnd is an unknown name
    bool excelShowsAWindow = false;             // the kit's own shows one of its own: a sign-in question
    // How long it takes to end once told to quit and let go; none: it does not end by itself.
    std::optional<std::chrono::milliseconds> excelEndsAfterRelease = 300ms;
    std::deque<FakeProcess> otherExcels{};  // other programs' and the user's; read as the fake is made
    std::optional<std::chrono::milliseconds> windowFailsAt{};  // a window procedure fails then

    // The request for an administrator: an administrator's filtered token; the system policies set
    // (EnableLUA and the like); "runas" giving the caller's own token whatever EnableLUA reads (it
    // changed since the last restart); how long the prompt is up and the elevated copy runs.
    bool limitedToken = false;
    std::map<std::wstring, std::uint32_t> systemPolicies{};
    bool startsUnelevated = false;
    std::chrono::milliseconds promptAnsweredIn = 2s;
    std::chrono::milliseconds administratorRunsFor = 500ms;

    // A racer at the medium: a file as shipped at its first reading and changed for every later
    // one; a symbolic link in a file's place. And what each installed copy was written from.
    std::set<std::wstring> swappedOnceRead{};
    std::set<std::wstring> linkedFiles{};
    std::map<std::wstring, std::string> installedSums{};
};

// Calls "on the call thread" run at once, inside Start; a silent one has not returned until its
// Excel is ended, and the start as an administrator returns once its prompt is answered.
class FakePlatform : public WindowLookup,
                     public AutomationFactory,
                     public FormsRuntime,
                     public CallThread,
                     public Processes,
                     public FileDetails,
                     public RunLog,
                     public Accounts,
                     public Elevation {
public:
    explicit FakePlatform(MachineState state) : state_(std::move(state)), excels_(state_.otherExcels) {}

    Platform platform() {
        return Platform{*this, *this, *this, *this, *this, *this, *this, *this, closingExcel, *this, *this};
    }
    ClosingExcel closingExcel;
    std::vector<std::wstring> logLines;
    Journal journal;
    MachineState& state() { return state_; }

    // Events a pump finds waiting, delivered as the clock passes their time.
    std::deque<std::chrono::milliseconds> pendingEvents;
    std::vector<std::chrono::milliseconds> handledEvents;
    int pumpCalls = 0;

    // WindowLookup
    std::vector<WindowShown> TopLevelWindows(std::string_view className) override;
    // AutomationFactory
    AutomationPtr CreateObject(std::wstring_view programId) override;
    // FormsRuntime
    ModalEnd Show(Form form, ShowMode mode, std::optional<Form> owner) override;
    void Unload(Form form) override;
    std::wstring Tag(Form form) override;
    void SetTag(Form form, std::wstring tag) override;
    Clock::time_point Now() override;
    void PumpEventsUntil(Clock::time_point deadline) override;
    void End() override;
    // CallThread
    void Start(std::function<void()> call) override;
    bool Returned() override { return !silentCall_ && journal.clock >= returnsAt_; }
    // Processes: Excel's program, ended ones journalled as "End process <id>"
    std::wstring ServerProgramOf(std::wstring_view programId) override;
    ProcessSnapshot Running(std::wstring_view programFileName) override;
    Ending EndIfHidden(const ProcessStart& process) noexcept override;
    std::unique_ptr<HeldProcess> HoldOwnerOf(std::int32_t window, std::string_view className) override;
    bool HasEnded(FakeProcess& process) noexcept;
    Ending EndIfHidden(FakeProcess& process) noexcept;
    // FileDetails: "RemoveStream <stream> <file>", "ClearAttributes <bits> <file>"
    bool RemoveStream(const std::wstring& file, std::wstring_view stream) override;
    bool ClearAttributes(const std::wstring& file, std::uint32_t attributes) override;
    bool IsInUse(const std::wstring& file) noexcept override { return state_.filesInUse.count(file) == 1; }
    std::wstring TemporaryFolder() override { return state_.temporaryFolder; }
    std::wstring LongPath(const std::wstring& path) noexcept override;
    std::wstring ProgramFolder() override;
    std::wstring ProgramFile() override { return state_.programFolder + L"\\Setup.exe"; }
    std::optional<std::string> CarriedSums() override { return state_.carriedSums; }
    // "Sha256 <file>"
    std::string Sha256Of(const std::wstring& file) override;
    // "HoldSource <file>", then "CopyBeside <installed file>", "PutInPlace <installed file>"
    std::unique_ptr<HeldSource> HoldSource(const std::wstring& file) override;
    // A file's sum as a reading of it now finds it. A reading counts.
    std::string ReadSumOf(const std::wstring& file);
    // The error with which Windows refuses a new file in `file`'s place, if it does.
    std::optional<std::int32_t> RefusalOfNewFile(const std::wstring& file);
    std::wstring NetworkPathOf(const std::wstring& drive) noexcept override;
    std::wstring SubstitutedPathOf(const std::wstring& drive) noexcept override {
        return state_.substDrives.count(drive) == 1 ? state_.substDrives[drive] : L"";
    }
    // RunLog: kept apart from the journal of calls
    void Step(std::wstring_view what) noexcept override { logLines.emplace_back(what); }
    // Accounts
    RunContext Context() override { return state_.account; }
    // Elevation: "StartHelpFileStep <program> owner <form>"; the copy runs from the prompt's answer.
    // Started on the window thread, the prompt blocks it.
    bool IsElevated() override { return state_.elevated; }
    TokenKind Token() override {
        return state_.elevated ? TokenKind::Full : state_.limitedToken ? TokenKind::Limited : TokenKind::Unsplit;
    }
    std::optional<std::uint32_t> SystemPolicy(const wchar_t* name) override {
        return state_.systemPolicies.count(name) == 1 ? std::optional(state_.systemPolicies[name]) : std::nullopt;
    }
    std::unique_ptr<ElevatedRun> StartHelpFileStep(const std::wstring& program, Form owner) override;

private:
    // Makes the call in progress one that does not come back; throws to leave the member.
    [[noreturn]] void FallSilent();
    // Throws Excel's busy refusal while it is busy.
    void RefuseWhileBusy(std::wstring_view member);

    MachineState state_;
    std::map<Form, std::wstring> tags_;
    // Every Excel: the machine's others, then the ones the programs start, numbered from 1.
    std::deque<FakeProcess> excels_;
    FakeProcess* ownExcel_ = nullptr;  // the last one the programs started
    std::map<std::wstring, int> readings_;
    std::function<void()> callInProgress_;
    bool silentCall_ = false;
    bool onCallThread_ = false;
    std::chrono::milliseconds returnsAt_{0};  // when the call last started returns
};

std::wstring NameOf(Form form);

// The SHA-256 the fake gives a medium file of this name as shipped; and the text a build carries
// for the three add-in files so shipped.
std::string ShippedSumOf(std::wstring_view name);
std::string ShippedSums();

}  // namespace qh::fake
