#pragma once
// How a run ends, as the process's exit code: what deployment tools read.
#include <string_view>

namespace qh {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCancelled = 2;
inline constexpr int kExitExcelRunning = 3;
inline constexpr int kExitOtherAccount = 4;
inline constexpr int kExitAlreadyRunning = 5;
inline constexpr int kExitUnknownArgument = 87;

struct ExitCodeMeaning {
    int code;
    std::wstring_view meaning;
};

inline constexpr ExitCodeMeaning kExitCodes[] = {
    {kExitCompleted, L"the run is complete"},
    {kExitFailed, L"a step failed, and was reported"},
    {kExitCancelled, L"cancelled by the user; nothing changed"},
    {kExitExcelRunning, L"Excel is running and /quiet forbids asking; nothing changed"},
    {kExitOtherAccount, L"run as someone other than the signed-in user: only the help file was installed or removed"},
    {kExitAlreadyRunning, L"another run of the setup is in progress; nothing done"},
    {kExitUnknownArgument, L"an unknown argument; nothing done"},
};

}  // namespace qh
