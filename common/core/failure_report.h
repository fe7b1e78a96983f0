#pragma once
// The report a failed run shows, in the user's words: what the program was doing, why it failed,
// where the machine stands now (what had been created, copied or removed stays so), what to do
// next, and the system's own error for support.
#include <string>
#include <vector>

#include "core/program.h"
#include "core/setup_error.h"

namespace qh {

// Why no administrator did the help file's step.
enum class NoAdministrator {
    NobodyToAsk,  // the run was quiet, or had no desktop that anyone sees
    Declined,     // the request for an administrator was declined
    NotAllowed,   // this computer's policy allows no request: User Account Control off, or standard users denied
};

struct RunRecord {
    Program program = Program::Installer;
    std::vector<std::wstring> foldersCreated;  // folders made for the files, outermost first
    std::vector<std::wstring> filesCopied;     // installed files in place, in the order they were copied
    std::vector<std::wstring> filesDeleted;    // installed files removed, in the order they were deleted
    std::wstring helpFileLeft;                 // the help file no administrator installed or removed
    NoAdministrator whyLeft = NoAdministrator::NobodyToAsk;
};

std::wstring DescribeFailure(const SetupError& failure, const RunRecord& record);

// The same for a failure that carries no platform details (out of memory and the like).
std::wstring DescribeUnexpectedFailure(const std::wstring& what, const RunRecord& record);

// What a run that left the help file to an administrator did, and how to have it done.
std::wstring DescribeHelpFileLeft(const RunRecord& record);

}  // namespace qh
