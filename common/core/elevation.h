#pragma once
// The one step that needs an administrator: the help file in the Windows folder's Help folder.
// The programs start as their caller: the user's part (Excel and the workbooks) runs in the
// caller's own process, for the caller's own Excel. Only when Windows refuses that process the
// Help folder is the program started again as an administrator, for that step alone: the only
// way Windows offers to ask for one.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/forms.h"

namespace qh {

// The switch that starts a program for the help file's step alone. It takes nothing else and is
// honoured only in a process with an administrator's full token.
inline constexpr std::wstring_view kHelpFileStepSwitch = L"/elevated-help-file";

// The program, started again as an administrator.
class ElevatedRun {
public:
    virtual ~ElevatedRun() = default;
    virtual bool HasEnded() noexcept = 0;
    // Once it has ended.
    virtual std::uint32_t ExitCode() = 0;
};

class Elevation {
public:
    virtual ~Elevation() = default;
    // Whether this process has an administrator's full token.
    virtual bool IsElevated() = 0;
    // Asks Windows to start `program` as an administrator with kHelpFileStepSwitch, its prompt
    // owned by `owner`'s window. Null when the user declined; a failure to start is a SetupError.
    virtual std::unique_ptr<ElevatedRun> StartHelpFileStep(const std::wstring& program, Form owner) = 0;
};

}  // namespace qh
