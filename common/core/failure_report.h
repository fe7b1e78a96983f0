#pragma once
// What a run did, so that a failure can tell the user where the machine stands.
#include <string>
#include <vector>

#include "core/setup_error.h"

namespace qh {

struct RunRecord {
    std::vector<std::wstring> foldersCreated;  // folders made for the files, outermost first
    std::vector<std::wstring> filesCopied;   // installed files in place, in the order they were copied
    std::vector<std::wstring> filesDeleted;  // installed files removed, in the order they were deleted
};

// The text of the report a failed run shows: what failed, on what, the system's error, and which
// files had already been copied or removed (they stay so).
std::wstring DescribeFailure(const SetupError& failure, const RunRecord& record);

// The same for a failure that carries no platform details (out of memory and the like).
std::wstring DescribeUnexpectedFailure(const std::wstring& what, const RunRecord& record);

}  // namespace qh
