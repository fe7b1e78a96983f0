#pragma once
// The running program's file.
#include <string>

namespace qh::win32 {

// The full path of the running program's file, however long.
std::wstring RunningProgramPath();

}  // namespace qh::win32
