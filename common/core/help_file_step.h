#pragma once
// The help file's step, its copy or its removal, done by this process when Windows lets it, and
// otherwise by the program started again as an administrator, when someone can be asked.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/failure_report.h"
#include "core/platform.h"

namespace qh {

enum class HelpFileStep { Done, DoneByAdministrator, NeedsAdministrator };

// How long the program started as an administrator has, once its prompt is answered: it does one
// file, perhaps a large one from a network share.
inline constexpr std::chrono::minutes kAdministratorStepTime{5};

// Runs `step`. When Windows refuses this account the Help folder: in a process that is already an
// administrator's, the refusal is the failure; otherwise, where someone can be asked, the program
// started again as an administrator does the step, and its failure is this run's; otherwise the
// record keeps `helpFile` as left to an administrator.
HelpFileStep DoHelpFileStep(Platform& platform, Form progressWindow, const std::wstring& helpFile, RunRecord& record,
                            const std::function<void()>& step);

// How a run that did `done` ends, when it may have left the help file to an administrator.
inline Outcome OutcomeOf(HelpFileStep helpFile, Outcome done) {
    return helpFile == HelpFileStep::NeedsAdministrator ? Outcome::HelpFileNeedsAdministrator : done;
}

// How the program started as an administrator hands its outcome back: its exit code.
std::uint32_t HelpFileStepExitCode(FailureKind failure);
inline constexpr std::uint32_t kHelpFileStepDone = 0;
// Started without an administrator's full token, it did nothing.
inline constexpr std::uint32_t kHelpFileStepNotElevated = 15;

// What the program started for the help file's step does: in a process with an administrator's
// full token, `step`, whose exit code it returns. In any other (with User Account Control off,
// "runas" starts it with its caller's own token) it does nothing and shows nothing, and ends at
// once: its caller's run then tells why the help file was left.
std::uint32_t StartedHelpFileStep(bool elevated, const std::function<std::uint32_t()>& step);

// The path an administrator's process reaches the program by: the letter of a mapped drive, or of
// one made with subst, which belong to the user's logon and which an elevated process does not
// see, replaced by the network path or the folder it stands for.
std::wstring PathForAdministrator(const std::wstring& path, FileDetails& files);

}  // namespace qh
