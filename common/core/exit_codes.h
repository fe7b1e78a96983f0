#pragma once
// How a run ends, as the process's exit code: what deployment tools read.
#include <string_view>

namespace qh {

enum class ExitCode : int {
    Completed = 0,
    Failed = 1,
    Cancelled = 2,
    ExcelRunning = 3,
    OtherAccount = 4,
    AlreadyRunning = 5,
    HelpFileNeedsAdministrator = 6,
    UnknownArgument = 87,
};

// What a code means, as "/?" lists it. Every code has its words (the build fails on one without);
// a number that is no code has none.
constexpr std::wstring_view MeaningOf(ExitCode code) {
    switch (code) {
        case ExitCode::Completed: return L"the run is complete";
        case ExitCode::Failed: return L"a step failed, and was reported";
        case ExitCode::Cancelled: return L"cancelled by the user; nothing changed";
        case ExitCode::ExcelRunning: return L"Excel is running and /quiet forbids asking; nothing changed";
        case ExitCode::OtherAccount:
            return L"run as someone other than the signed-in user, or with no desktop anyone sees: only the help file "
                   L"was installed or removed";
        case ExitCode::AlreadyRunning: return L"another run of the setup is in progress; nothing done";
        case ExitCode::HelpFileNeedsAdministrator: return L"done for this user; the help file needs an administrator";
        case ExitCode::UnknownArgument: return L"an unknown argument; nothing done";
    }
    return {};
}

// Exit codes stay below this, where every deployment tool reads them alike.
inline constexpr int kExitCodeLimit = 256;

}  // namespace qh
