#pragma once
// The top of each program: the platform services, one run of its sequence, and the one place
// that reports a failure.
#include <windows.h>

#include "core/exit_codes.h"
#include "core/program.h"

namespace qh::program {

// Both programs, one run at a time in a session: a second one would change what the first one
// is changing, and its window would come up beside the first one's.
inline constexpr wchar_t kOneRunMutex[] = L"Local\\QuenzoHalvornSetupRun";

// Runs the program's sequence with the forms it uses, as its command line's switches ask; returns
// the exit code (core/exit_codes.h).
int RunSetupProgram(HINSTANCE instance, const SetupProgram& program);

// Keeps the library search out of the program's own folder, before anything loads a library.
void RestrictLibrarySearch() noexcept;

}  // namespace qh::program
