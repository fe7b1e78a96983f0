#pragma once
// What a process holds, for tests that repeat an action and look for leaks.
#include <windows.h>

namespace qh::testing {

struct GuiResourceCounts {
    // GetGuiResources. Wine 8 answers 0 for both, for any process; for the caller's own process
    // the GDI objects are then counted in its shared GDI handle table instead.
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    // GetProcessHandleCount; where that answers 0 (Wine 8 does, though no live process has no
    // handles) the process's entries in the system handle table are counted instead.
    DWORD kernelHandles = 0;
    // The process's windows: top-level ones (hidden included) and all their descendants.
    DWORD windows = 0;
};

// The counts of a running process; the handle needs PROCESS_QUERY_INFORMATION (StartProgram's
// has it). Throws when the process cannot be queried.
GuiResourceCounts GuiResources(HANDLE process);

}  // namespace qh::testing
