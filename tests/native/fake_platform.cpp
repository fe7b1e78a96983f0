#include "fake_platform.h"

#include <algorithm>

#include "core/excel_instance.h"
#include "core/file_set.h"
#include "core/help_file_step.h"
#include "core/setup_error.h"

namespace qh::fake {
namespace {

std::wstring Text(const Argument& argument) {
    if (auto* flag = std::get_if<bool>(&argument)) return *flag ? L"True" : L"False";
    if (auto* number = std::get_if<std::int32_t>(&argument)) return std::to_wstring(*number);
    return std::get<std::wstring>(argument);
}

std::wstring Joined(const std::vector<Argument>& arguments) {
    std::wstring text;
    for (const auto& argument : arguments) text += L" " + Text(argument);
    return text;
}

// An automation object whose members are answered by a function of the call.
class FakeObject : public AutomationObject {
public:
    using Answer = std::function<Value(std::wstring_view, const std::vector<Argument>&)>;
    FakeObject(Journal& journal, std::wstring name, Answer answer, std::function<void()> released = {})
        : journal_(journal), name_(std::move(name)), answer_(std::move(answer)), released_(std::move(released)) {}
    ~FakeObject() override {
        journal_.Record(name_ + L".Release", /*mayFail=*/false);
        if (released_) released_();
    }

    Value Get(std::wstring_view property) override {
        journal_.Record(name_ + L"." + std::wstring(property));
        return answer_(property, {});
    }
    Value Call(std::wstring_view method, const std::vector<Argument>& arguments) override {
        journal_.Record(name_ + L"." + std::wstring(method) + Joined(arguments));
        return answer_(method, arguments);
    }

private:
    Journal& journal_;
    std::wstring name_;
    Answer answer_;
    std::function<void()> released_;
};

}  // namespace

void Journal::Record(std::wstring call, bool mayFail) {
    entries_.push_back({call, clock});
    if (mayFail && failAt && failableSeen_++ == *failAt) {
        throw SetupError(call, L"(injected)", static_cast<std::int32_t>(0x80004005), L"Injected failure");
    }
}

std::vector<std::wstring> Journal::Calls() const {
    std::vector<std::wstring> calls;
    for (const auto& entry : entries_) calls.push_back(entry.call);
    return calls;
}

std::optional<std::chrono::milliseconds> Journal::TimeOf(const std::wstring& call) const {
    for (const auto& entry : entries_) {
        if (entry.call == call) return entry.at;
    }
    return std::nullopt;
}

std::wstring NameOf(Form form) { return std::wstring(FormName(form)); }

std::string ShippedSumOf(std::wstring_view name) {
    std::string sum;
    for (std::size_t at = 0; sum.size() < 64; ++at) sum += "0123456789abcdef"[name[at % name.size()] % 16];
    return sum;
}

std::string ShippedSums() {
    std::string text;
    for (const std::wstring_view name : {kMacroWorkbook, kAddInWorkbook, kHelpFile})
        text += ShippedSumOf(name) + "  " + std::string(name.begin(), name.end()) + "\n";
    return text;
}

std::string FakePlatform::ReadSumOf(const std::wstring& file) {
    if (state_.missingSources.count(file) == 1) throw SetupError(L"CreateFileW", file, 2, L"File not found");
    if (state_.unreadableFiles.count(file) == 1) throw SetupError(L"CreateFileW", file, 5, L"Access is denied.");
    const bool swapped = state_.swappedOnceRead.count(file) == 1 && readings_[file]++ > 0;
    const std::string shipped = ShippedSumOf(FileNameOf(file));
    return state_.changedFiles.count(file) == 1 || swapped ? std::string(shipped.rbegin(), shipped.rend()) : shipped;
}

std::string FakePlatform::Sha256Of(const std::wstring& file) {
    journal.Record(L"Sha256 " + file);
    return ReadSumOf(file);
}

std::optional<std::int32_t> FakePlatform::RefusalOfNewFile(const std::wstring& file) {
    if (state_.missingFolders.count(ParentFolder(file)) == 1) return 3;  // path not found
    const bool inHelp = ParentFolder(file) == state_.windowsPath + L"\\Help";
    if (inHelp && (state_.helpFolder == HelpFolder::Locked ||
                   (state_.helpFolder == HelpFolder::AdministratorsOnly && !state_.elevated)))
        return 5;  // access denied
    return std::nullopt;
}

namespace {

// The bytes it was opened with are the ones every copy from it is written from.
class FakeHeldSource : public HeldSource {
public:
    FakeHeldSource(FakePlatform& platform, std::string sum) : platform_(platform), sum_(std::move(sum)) {}
    std::string CopyBeside(const std::wstring& installedFile) override {
        platform_.journal.Record(L"CopyBeside " + installedFile);
        if (const auto refused = platform_.RefusalOfNewFile(installedFile))
            throw SetupError(L"CreateFileW", installedFile, *refused, L"Refused");
        installedFile_ = installedFile;
        return sum_;
    }
    void PutInPlace() override {
        platform_.journal.Record(L"PutInPlace " + installedFile_);
        MachineState& state = platform_.state();
        // Rename and Hard Link Processing, FILE_RENAME_INFORMATION (learn.microsoft.com): a rename
        // replaces no read-only file, nor, without POSIX semantics, an open one (Wine 8 refuses the
        // open one and replaces the read-only one, measured).
        if (state.filesInUse.count(installedFile_) == 1 || (state.attributes[installedFile_] & kReadOnlyAttribute)) {
            throw SetupError(L"SetFileInformationByHandle FileRenameInfo", installedFile_, 5, L"Access is denied.");
        }
        state.existingFiles.insert(installedFile_);
        state.installedSums[installedFile_] = sum_;
    }

private:
    FakePlatform& platform_;
    std::string sum_;
    std::wstring installedFile_;
};

}  // namespace

std::unique_ptr<HeldSource> FakePlatform::HoldSource(const std::wstring& file) {
    journal.Record(L"HoldSource " + file);
    if (state_.linkedFiles.count(file) == 1) throw SetupError(L"CreateFileW", file, kStoppedOnLink, L"A link");
    return std::make_unique<FakeHeldSource>(*this, ReadSumOf(file));
}

std::vector<WindowShown> FakePlatform::TopLevelWindows(std::string_view className) {
    journal.Record(L"FindWindowA " + std::wstring(className.begin(), className.end()));
    std::vector<WindowShown> windows = state_.otherExcelWindows;
    if (!state_.excelWindowLooks.empty()) {
        if (state_.excelWindowLooks.front()) windows.push_back(WindowShown::OnScreen);
        state_.excelWindowLooks.pop_front();
    }
    return windows;
}

namespace {

std::uint64_t Ticks(std::chrono::milliseconds time) { return static_cast<std::uint64_t>((time + 1h).count()) * 10'000; }

class FakeHeldProcess : public HeldProcess {
public:
    FakeHeldProcess(FakePlatform& platform, FakeProcess& process) : platform_(platform), process_(process) {}
    bool HasEnded() noexcept override { return platform_.HasEnded(process_); }
    Ending EndIfHidden() noexcept override { return platform_.EndIfHidden(process_); }

private:
    FakePlatform& platform_;
    FakeProcess& process_;
};

}  // namespace

std::wstring FakePlatform::ServerProgramOf(std::wstring_view programId) {
    return programId == kExcelProgramId ? L"EXCEL.EXE" : L"";
}

ProcessSnapshot FakePlatform::Running(std::wstring_view programFileName) {
    ProcessSnapshot snapshot{Ticks(journal.clock), {}};
    for (const FakeProcess& process : excels_) {
        if (programFileName == L"EXCEL.EXE" && !process.ended && process.started <= journal.clock)
            snapshot.processes.push_back({process.id, Ticks(process.started)});
    }
    return snapshot;
}

Ending FakePlatform::EndIfHidden(const ProcessStart& wanted) noexcept {
    for (FakeProcess& process : excels_) {
        if (process.id == wanted.id && Ticks(process.started) == wanted.startTime) return EndIfHidden(process);
    }
    return Ending::AlreadyGone;
}

std::unique_ptr<HeldProcess> FakePlatform::HoldOwnerOf(std::int32_t window, std::string_view className) {
    for (FakeProcess& process : excels_) {
        if (static_cast<std::int32_t>(process.id) + kWindowBase == window && !process.ended && className == "XLMAIN")
            return std::make_unique<FakeHeldProcess>(*this, process);
    }
    return nullptr;
}

bool FakePlatform::RemoveStream(const std::wstring& file, std::wstring_view stream) {
    journal.Record(L"RemoveStream " + std::wstring(stream) + L" " + file);
    // MS-FSA 2.1.5.15.3: a read-only file's streams cannot be deleted (Wine deletes them).
    if (state_.markedFiles.count(file) == 1 && (state_.attributes[file] & kReadOnlyAttribute) != 0) {
        throw SetupError(L"DeleteFileW", file + L":" + std::wstring(stream), 5, L"Access is denied.");
    }
    return state_.markedFiles.erase(file) == 1;
}

bool FakePlatform::ClearAttributes(const std::wstring& file, std::uint32_t attributes) {
    journal.Record(L"ClearAttributes " + std::to_wstring(attributes) + L" " + file);
    if (state_.existingFiles.count(file) == 0) return false;
    state_.attributes[file] &= ~attributes;
    return true;
}

std::wstring FakePlatform::NetworkPathOf(const std::wstring& drive) noexcept {
    const auto mapped = state_.mappedDrives.find(drive);
    return mapped == state_.mappedDrives.end() ? std::wstring() : mapped->second;
}

namespace {

class FakeElevatedRun : public ElevatedRun {
public:
    FakeElevatedRun(Journal& journal, std::chrono::milliseconds endsAt, std::uint32_t exitCode)
        : journal_(journal), endsAt_(endsAt), exitCode_(exitCode) {}
    bool HasEnded() noexcept override { return journal_.clock >= endsAt_; }
    std::uint32_t ExitCode() override { return exitCode_; }

private:
    Journal& journal_;
    std::chrono::milliseconds endsAt_;
    std::uint32_t exitCode_;
};

}  // namespace

std::unique_ptr<ElevatedRun> FakePlatform::StartHelpFileStep(const std::wstring& program, Form owner) {
    journal.Record(L"StartHelpFileStep " + program + L" owner " + NameOf(owner));
    // User Account Control settings and configuration (learn.microsoft.com): off, "runas" starts
    // the program with its caller's own token; a standard user's request that policy denies fails
    // at once with access denied, and nobody sees a prompt.
    const bool uacOff = SystemPolicy(kPolicyUacOn) == 0u || state_.startsUnelevated;
    if (!uacOff && !state_.limitedToken && SystemPolicy(kPolicyStandardUsersPrompt) == 0u) {
        throw SetupError(L"ShellExecuteExW", program, 5, L"Access is denied.");
    }
    if (state_.administratorNotStarted) {
        throw SetupError(L"ShellExecuteExW", program, *state_.administratorNotStarted, L"Not started");
    }
    if (uacOff) return std::make_unique<FakeElevatedRun>(journal, journal.clock + 50ms, StartedHelpFileStep(false, {}));
    // ShellExecuteEx returns once the prompt is answered.
    const auto answered = journal.clock + state_.promptAnsweredIn;
    if (onCallThread_) {
        returnsAt_ = answered;
    } else {
        journal.clock = answered;
    }
    if (state_.administratorDeclines) return nullptr;
    // The copy runs the program's own start for the step.
    return std::make_unique<FakeElevatedRun>(journal, answered + state_.administratorRunsFor,
                                             StartedHelpFileStep(true, [&] { return state_.administratorExitCode; }));
}

std::wstring FakePlatform::LongPath(const std::wstring& path) noexcept {
    for (const auto& [shortForm, longForm] : state_.longNames) {
        if (path.starts_with(shortForm)) return longForm + path.substr(shortForm.size());
    }
    return path;
}

bool FakePlatform::HasEnded(FakeProcess& process) noexcept {
    if (process.endsAt && journal.clock >= *process.endsAt) process.ended = true;
    return process.ended;
}

Ending FakePlatform::EndIfHidden(FakeProcess& process) noexcept {
    if (HasEnded(process)) return Ending::AlreadyGone;
    if (process.visible) return Ending::ShowsWindow;
    process.ended = true;
    journal.Record(L"End process " + std::to_wstring(process.id), /*mayFail=*/false);
    // Once its Excel has gone, the call in progress fails.
    if (&process == ownExcel_ && silentCall_ && state_.silentCallReturnsWhenEnded) {
        silentCall_ = false;
        callInProgress_ = nullptr;
    }
    return Ending::Ended;
}

void FakePlatform::Start(std::function<void()> call) {
    if (silentCall_) throw std::logic_error("a call was started while another one was in progress");
    callInProgress_ = std::move(call);
    onCallThread_ = true;
    callInProgress_();
    onCallThread_ = false;
    // A call that never came back keeps what it holds.
    if (!silentCall_) callInProgress_ = nullptr;
}

void FakePlatform::FallSilent() {
    silentCall_ = true;
    throw SetupError(L"(silent)", {}, 0, L"never seen: the caller stopped waiting");
}

void FakePlatform::RefuseWhileBusy(std::wstring_view member) {
    if (journal.clock < ownExcel_->started + state_.excelBusyFor) {
        throw SetupError(std::wstring(member), {}, kCallRejected, L"Call was rejected by callee");
    }
}

AutomationPtr FakePlatform::CreateObject(std::wstring_view programId) {
    // Every request for Excel starts a process of its own, whatever comes of it.
    if (programId == kExcelProgramId) {
        ownExcel_ = &excels_.emplace_back(ownExcel_ ? ownExcel_->id + 1 : 1, journal.clock, state_.excelShowsAWindow);
    }
    journal.Record(L"CreateObject " + std::wstring(programId));
    if (programId == kExcelProgramId) {
        FakeProcess& process = *ownExcel_;
        if (state_.excelSilentIn == L"CreateObject") FallSilent();
        if (state_.creationRefusals > 0) {
            --state_.creationRefusals;
            throw SetupError(L"CreateObject", {}, kRetryLater,
                             L"The message filter indicated that the application is busy");
        }
        return std::make_unique<FakeObject>(
            journal, L"excel",
            [this, &process](std::wstring_view member, const auto&) -> Value {
                RefuseWhileBusy(member);
                if (member == state_.excelSilentIn) FallSilent();
                if (member == L"StartupPath") return state_.excelStartupPath;
                if (member == L"Quit") process.toldToQuit = true;
                if (member == L"Hwnd") {
                    if (!state_.excelNamesItsWindow) throw SetupError(L"Hwnd", {}, kUnknownName, L"Unknown name");
                    return static_cast<std::int32_t>(process.id) + kWindowBase;
                }
                return std::monostate{};
            },
            // Like Excel, it ends once told to quit and let go, after a moment.
            [this, &process] {
                if (process.toldToQuit && state_.excelEndsAfterRelease)
                    process.endsAt = journal.clock + *state_.excelEndsAfterRelease;
            });
    }
    if (programId == L"Scripting.FileSystemObject") {
        if (state_.scriptingRuntimeMissing) {
            throw SetupError(L"Start", std::wstring(programId), static_cast<std::int32_t>(0x800401F3),
                             L"Invalid class string");
        }
        return std::make_unique<FakeObject>(
            journal, L"fso", [this](std::wstring_view member, const std::vector<Argument>& arguments) -> Value {
                if (member == L"GetSpecialFolder") {
                    return std::make_unique<FakeObject>(
                        journal, L"folder",
                        [this](std::wstring_view, const auto&) -> Value { return state_.windowsPath; });
                }
                const std::wstring path = Text(arguments.at(0));
                auto& missing = state_.missingFolders;
                const auto pathNotFound = [&] {
                    throw SetupError(std::wstring(member), {}, static_cast<std::int32_t>(0x800A004C),
                                     L"Path not found");
                };
                if (member == L"FileExists") return state_.existingFiles.count(path) == 1;
                if (member == L"FolderExists") return missing.count(path) == 0;
                if (member == L"CreateFolder") {
                    if (missing.count(ParentFolder(path)) == 1) pathNotFound();
                    missing.erase(path);
                }
                const auto helpFolderRefuses = [&](const std::wstring& file) {
                    return missing.count(ParentFolder(file)) == 0 && RefusalOfNewFile(file).has_value();
                };
                if (member == L"DeleteFile") {
                    // DeleteFile, Remarks: a read-only file is not deleted.
                    if ((state_.attributes[path] & kReadOnlyAttribute) != 0 || helpFolderRefuses(path)) {
                        throw SetupError(L"DeleteFile", {}, kPermissionDenied, L"Permission denied");
                    }
                    state_.existingFiles.erase(path);
                }
                if (member == L"CopyFile") {
                    const std::wstring target = Text(arguments.at(1)) + FileNameOf(path);
                    if (state_.missingSources.count(path) == 1) {
                        throw SetupError(L"CopyFile", {}, static_cast<std::int32_t>(0x800A0035), L"File not found");
                    }
                    if (missing.count(ParentFolder(target)) == 1) pathNotFound();
                    // CopyFile, Remarks: a read-only or hidden file is not replaced (Wine replaces both);
                    // CreateFile, Remarks: nor is one another program holds open.
                    const bool guarded = state_.existingFiles.count(target) == 1 &&
                                         (state_.attributes[target] & (kReadOnlyAttribute | kHiddenAttribute)) != 0;
                    if (guarded || state_.filesInUse.count(target) == 1 || helpFolderRefuses(target)) {
                        throw SetupError(L"CopyFile", {}, kPermissionDenied, L"Permission denied");
                    }
                    // CopyFileEx, Remarks: the copy takes the source's attributes and named streams
                    // along (Wine's takes no stream).
                    state_.existingFiles.insert(target);
                    state_.installedSums[target] = ReadSumOf(path);
                    state_.attributes[target] = state_.attributes[path];
                    if (state_.markedFiles.count(path) == 1) state_.markedFiles.insert(target);
                }
                return std::monostate{};
            });
    }
    throw SetupError(L"CreateObject", std::wstring(programId), 1, L"Unknown program identifier");
}

ModalEnd FakePlatform::Show(Form form, ShowMode mode, std::optional<Form> owner) {
    std::wstring call = L"Show " + NameOf(form) + (mode == ShowMode::Modal ? L" modal" : L" modeless");
    if (owner) call += L" owner " + NameOf(*owner);
    journal.Record(call);
    if (mode == ShowMode::Modeless) return ModalEnd::NotModal;

    auto& queue = state_.answers[form];
    if (queue.empty()) throw std::logic_error("the test gave no answer for a modal dialog");
    const UserAction action = queue.front();
    queue.pop_front();
    switch (action) {
        case UserAction::ClickOk: tags_[form] = L"Ok"; return ModalEnd::Hidden;
        case UserAction::ClickCancel: tags_[form] = L"Cancel"; return ModalEnd::Hidden;
        case UserAction::CloseBox: tags_.erase(form); return ModalEnd::Unloaded;
    }
    return ModalEnd::Hidden;
}

void FakePlatform::Unload(Form form) {
    journal.Record(L"Unload " + NameOf(form));
    tags_.erase(form);
}

std::wstring FakePlatform::Tag(Form form) {
    journal.Record(L"Tag " + NameOf(form));
    return tags_[form];
}

void FakePlatform::SetTag(Form form, std::wstring tag) { tags_[form] = std::move(tag); }

std::wstring FakePlatform::ProgramFolder() {
    journal.Record(L"ProgramFolder");
    return state_.programFolder;
}

FormsRuntime::Clock::time_point FakePlatform::Now() { return Clock::time_point(journal.clock); }

void FakePlatform::PumpEventsUntil(Clock::time_point deadline) {
    ++pumpCalls;
    auto until = std::chrono::duration_cast<std::chrono::milliseconds>(deadline.time_since_epoch());
    // A call's return wakes the pump, as the call thread's message does.
    if (returnsAt_ > journal.clock) until = std::min(until, returnsAt_);
    // Wakes for the next event before the deadline, or sleeps to the deadline.
    if (!pendingEvents.empty() && pendingEvents.front() < until) {
        journal.clock = std::max(journal.clock, pendingEvents.front());
        handledEvents.push_back(journal.clock);
        pendingEvents.pop_front();
    } else {
        journal.clock = std::max(journal.clock, until);
    }
    if (state_.windowFailsAt && journal.clock >= *state_.windowFailsAt) {
        state_.windowFailsAt.reset();
        throw SetupError(L"WindowProc", {}, 0, L"A window failed");
    }
}

void FakePlatform::End() { journal.Record(L"End"); }

}  // namespace qh::fake
