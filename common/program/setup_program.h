#pragma once
// The top of each program: the platform services, one run of its sequence, and the one place
// that reports a failure.
#include <windows.h>

#include "core/program.h"

namespace qh::win32 {

// Exit codes: the run is complete; a step failed (and was reported); the user cancelled (nothing
// changed); another run of the kit is in progress (nothing done).
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCancelled = 2;
inline constexpr int kExitAlreadyRunning = 5;

// Runs the program's sequence with the forms it uses; returns the exit code.
int RunSetupProgram(HINSTANCE instance, const SetupProgram& program);

// Keeps the library search out of the program's own folder, before anything loads a library.
void RestrictLibrarySearch() noexcept;

}  // namespace qh::win32
