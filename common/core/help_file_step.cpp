#include "core/help_file_step.h"

#include <chrono>
#include <exception>
#include <memory>
#include <optional>

#include "core/event_pump.h"
#include "core/paths.h"

namespace qh {
namespace {

// Its exit code on a failure: this plus the failure's kind (both programs are one build).
constexpr std::uint32_t kFirstFailureCode = 16;
constexpr std::uint32_t kFailureCodes = 64;

bool IsNetworkPath(const std::wstring& path) { return path.starts_with(L"\\\\"); }

// What an administrator's account meets on a share that the user's account reaches: the share
// refused or not found, or no credentials of its own for the server.
bool IsShareRefusal(const SetupError& failure) {
    constexpr std::int32_t kBadNetPath = 53, kNetworkAccessDenied = 65, kBadNetName = 67, kLogonFailure = 1326;
    const std::int32_t code = failure.Code();
    return code == kBadNetPath || code == kNetworkAccessDenied || code == kBadNetName || code == kLogonFailure;
}

// Why Windows would ask nobody at all, for the log; empty where it shows someone a prompt.
std::wstring WhyWindowsAsksNobody(Elevation& elevation) {
    // A filtered token proves User Account Control on, and administrators are always asked.
    if (elevation.Token() == TokenKind::Limited) return {};
    if (elevation.SystemPolicy(kPolicyUacOn) == 0u) {
        return L"User Account Control is off (EnableLUA 0), so \"runas\" would start the program with this "
               L"account's own rights";
    }
    if (elevation.SystemPolicy(kPolicyStandardUsersPrompt) == 0u) {
        return L"Standard users' requests for an administrator are denied at once (ConsentPromptBehaviorUser 0)";
    }
    return {};
}

// ShellExecuteEx returns only once the prompt is answered: asked on the window thread, it would
// stop the windows painting meanwhile. The user takes their time, as over any of the program's own
// dialogs.
std::unique_ptr<ElevatedRun> StartOffTheWindowThread(Platform& platform, const std::wstring& program, Form owner) {
    struct Started {
        std::unique_ptr<ElevatedRun> run;
        std::exception_ptr failure;
    };
    // Shared with the call, which outlives a wait that a failing window cuts short.
    const auto started = std::make_shared<Started>();
    platform.promptCalls.Start([started, &elevation = platform.elevation, program, owner] {
        try {
            started->run = elevation.StartHelpFileStep(program, owner);
        } catch (...) {
            started->failure = std::current_exception();
        }
    });
    HandleEventsUntil(platform.forms, FormsRuntime::Clock::time_point::max(),
                      [&calls = platform.promptCalls] { return calls.Returned(); });
    if (started->failure) std::rethrow_exception(started->failure);
    return std::move(started->run);
}

FailureKind KindOfExit(std::uint32_t code) {
    if (code < kFirstFailureCode || code >= kFirstFailureCode + kFailureCodes) return FailureKind::Other;
    return static_cast<FailureKind>(code - kFirstFailureCode);
}

// Has the program started again as an administrator do the step that `refused` names. Nothing when
// it did; why no administrator did it where none was asked or none came; its failure is this run's.
std::optional<NoAdministrator> AskAnAdministrator(Platform& platform, Form progressWindow, const Doing& refused) {
    const auto notAllowed = [&](const std::wstring& why) {
        platform.log.Step(why + L": this computer's policy allows no request for an administrator");
        return NoAdministrator::NotAllowed;
    };
    if (!platform.forms.AsksTheUser() || !HasDesktop(platform.accounts.Context())) return NoAdministrator::NobodyToAsk;
    if (const std::wstring why = WhyWindowsAsksNobody(platform.elevation); !why.empty()) return notAllowed(why);

    const std::wstring program = PathForAdministrator(platform.files.ProgramFile(), platform.files);
    const auto failure = [&](std::wstring description, FailureKind kind) {
        SetupError failed(L"The help file's step as an administrator", program, 0, std::move(description));
        failed.SetKind(kind);
        failed.SetDoing(refused);
        return failed;
    };
    std::unique_ptr<ElevatedRun> run;
    try {
        run = StartOffTheWindowThread(platform, program, progressWindow);
    } catch (SetupError& notStarted) {
        // How Windows refuses, at once and without a prompt, a request its policy forbids:
        // whatever else it may stand for, the help file is left to an administrator.
        if (notStarted.Kind() == FailureKind::AccessDenied) {
            return notAllowed(L"Windows refused to start the program as an administrator (access denied)");
        }
        notStarted.SetDoing(refused);
        if (IsNetworkPath(program) && IsShareRefusal(notStarted)) {
            notStarted.SetKind(FailureKind::ShareUnreadableToAdministrator);
        }
        throw;
    }
    if (!run) {
        platform.log.Step(L"The request for an administrator was declined");
        return NoAdministrator::Declined;
    }
    FormsRuntime& forms = platform.forms;
    if (!HandleEventsLookingUntil(forms, forms.Now() + kAdministratorStepTime, [&] { return run->HasEnded(); })) {
        // An elevated process is not this one's to end.
        throw failure(L"Not ended within " + std::to_wstring(kAdministratorStepTime.count()) + L" minutes",
                      FailureKind::AdministratorStepUnfinished);
    }
    const std::uint32_t code = run->ExitCode();
    if (code == kHelpFileStepDone) return std::nullopt;
    if (code == kHelpFileStepNotElevated) {
        return notAllowed(L"The program started as an administrator ran with this account's own rights");
    }
    throw failure(L"It ended with exit code " + std::to_wstring(code), KindOfExit(code));
}

}  // namespace

std::uint32_t HelpFileStepExitCode(FailureKind failure) {
    return kFirstFailureCode + static_cast<std::uint32_t>(failure);
}

std::uint32_t StartedHelpFileStep(bool elevated, const std::function<std::uint32_t()>& step) {
    static_assert(kHelpFileStepNotElevated != kHelpFileStepDone && kHelpFileStepNotElevated < kFirstFailureCode);
    return elevated ? step() : kHelpFileStepNotElevated;
}

std::wstring PathForAdministrator(const std::wstring& path, FileDetails& files) {
    // A subst drive may stand for a folder on another such drive, or on a mapped one.
    constexpr int kDrivesDeep = 4;
    std::wstring reached = path;
    for (int level = 0; level < kDrivesDeep && reached.size() >= 2 && reached[1] == L':'; ++level) {
        const std::wstring drive = reached.substr(0, 2);
        std::wstring behind = files.NetworkPathOf(drive);
        if (behind.empty()) behind = files.SubstitutedPathOf(drive);
        if (behind.empty()) break;
        reached = NormaliseFolderPath(behind) + reached.substr(2);
    }
    return reached;
}

HelpFileStep DoHelpFileStep(Platform& platform, Form progressWindow, const std::wstring& helpFile, RunRecord& record,
                            const std::function<void()>& step) {
    try {
        step();
        return HelpFileStep::Done;
    } catch (SetupError& refused) {
        // Windows refuses a standard user, and an administrator's filtered token, its Help folder.
        if (refused.Kind() != FailureKind::AccessDenied) throw;
        if (platform.elevation.IsElevated()) {
            refused.SetKind(FailureKind::HelpFolderDeniedToAdministrator);
            throw;
        }
        platform.log.Step(L"Windows refused this account the Help folder, for " + helpFile);
        const std::optional<NoAdministrator> none =
            AskAnAdministrator(platform, progressWindow, refused.WhatWasDoing());
        if (!none) return HelpFileStep::DoneByAdministrator;
        record.helpFileLeft = helpFile;
        record.whyLeft = *none;
        return HelpFileStep::NeedsAdministrator;
    }
}

}  // namespace qh
