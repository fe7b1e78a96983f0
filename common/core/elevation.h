#pragma once
// The one step that needs an administrator: the help file in the Windows folder's Help folder.
// The programs start as their caller: the user's part (Excel and the workbooks) runs in the
// caller's own process, for the caller's own Excel. Only when Windows refuses that process the
// Help folder is the program started again as an administrator, for that step alone: the only
// way Windows offers to ask for one.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/forms.h"

namespace qh {

// The switch that starts a program for the help file's step alone. It takes nothing else; in a
// process without an administrator's full token it does nothing at all (help_file_step.h).
inline constexpr std::wstring_view kHelpFileStepSwitch = L"/elevated-help-file";

// What the process's token says of User Account Control (its TOKEN_ELEVATION_TYPE).
enum class TokenKind {
    Full,     // elevated
    Limited,  // an administrator's filtered token: Windows asks for their consent
    Unsplit,  // no linked token: a standard user's, or anyone's with User Account Control off
};

// The policy values under the system policies key that decide whether Windows asks at all.
inline constexpr wchar_t kPolicyUacOn[] = L"EnableLUA";                                // 0: off
inline constexpr wchar_t kPolicyStandardUsersPrompt[] = L"ConsentPromptBehaviorUser";  // 0: deny at once

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
    virtual TokenKind Token() = 0;
    // A number under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System; none where
    // it is not set.
    virtual std::optional<std::uint32_t> SystemPolicy(const wchar_t* name) = 0;
    // Asks Windows to start `program` as an administrator with kHelpFileStepSwitch, its prompt
    // owned by `owner`'s window. Null when the user declined; a failure to start is a SetupError.
    virtual std::unique_ptr<ElevatedRun> StartHelpFileStep(const std::wstring& program, Form owner) = 0;
};

}  // namespace qh
