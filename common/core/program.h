#pragma once
// A setup program as its entry point runs it: which program it is, the forms it uses and its
// sequence.
#include <span>

#include "core/forms.h"

namespace qh {

struct Platform;
struct RunRecord;

enum class Program { Installer, Uninstaller };

// How a sequence ended when it did not fail.
// HelpFileOnly: run as someone other than the signed-in user, the program did the machine's part
// (the help file) and left the user's part (Excel and the workbooks) to that user.
enum class Outcome { Completed, Cancelled, HelpFileOnly };

using Sequence = Outcome (*)(Platform& platform, RunRecord& record);

struct SetupProgram {
    Program program;
    std::span<const Form> forms;
    Sequence run;
};

}  // namespace qh
