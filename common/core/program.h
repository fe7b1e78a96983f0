#pragma once
// A setup program as its entry point runs it: which program it is, the forms it uses and its
// sequence.
#include <span>
#include <string_view>

#include "core/forms.h"

namespace qh {

struct Platform;
struct RunRecord;

enum class Program { Installer, Uninstaller };

// How the messages name the program: "run the installer again".
constexpr std::wstring_view ProgramNoun(Program program) {
    switch (program) {
        case Program::Installer: return L"installer";
        case Program::Uninstaller: return L"uninstaller";
    }
    return {};  // no value of the enumeration
}

// How a sequence ended when it did not fail.
// HelpFileOnly: run as someone other than the signed-in user, the program did the machine's part
// (the help file) and left the user's part (Excel and the workbooks) to that user.
// HelpFileNeedsAdministrator: Windows refused this account the Help folder and no administrator
// did the help file's step (none could be asked, or the request was declined); the rest is done.
enum class Outcome { Completed, Cancelled, HelpFileOnly, HelpFileNeedsAdministrator };

// Closes every window; the run ends as `outcome`.
inline Outcome EndRun(FormsRuntime& forms, Outcome outcome) {
    forms.End();
    return outcome;
}

using Sequence = Outcome (*)(Platform& platform, RunRecord& record);

struct SetupProgram {
    Program program;
    std::span<const Form> forms;
    Sequence run;
    // The help file's step alone: for another account's run, and for this program started again
    // as an administrator.
    Sequence helpFileOnly;
};

}  // namespace qh
