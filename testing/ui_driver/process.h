#pragma once
// Starting the program under test and making sure it does not outlive the test.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "ui_driver/wait.h"
#include "win32/unique_handle.h"

namespace qh::testing {

// A started program. Move-only; a program still running when its Process is destroyed is
// terminated (exit code kTerminatedExitCode), so a failing test leaves nothing behind.
class Process {
public:
    static constexpr DWORD kTerminatedExitCode = 0xDEAD;

    Process() = default;
    Process(PROCESS_INFORMATION info, std::wstring exePath);
    Process(Process&&) noexcept = default;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    DWORD Pid() const noexcept { return pid_; }
    DWORD MainThreadId() const noexcept { return threadId_; }
    HANDLE Handle() const noexcept { return process_.get(); }
    const std::wstring& ExePath() const noexcept { return exePath_; }
    // "sample_window.exe (pid 42)", for failure messages.
    std::wstring Describe() const;

private:
    void TerminateIfRunning() noexcept;

    win32::UniqueKernelHandle process_;
    win32::UniqueKernelHandle thread_;
    DWORD pid_ = 0;
    DWORD threadId_ = 0;
    std::wstring exePath_;
};

// The value of an environment variable of this process; none when it is not set.
std::optional<std::wstring> EnvironmentVariable(const wchar_t* name);

// Wine runs Windows programs but is often handed Unix paths (build folders, CMake's
// $<TARGET_FILE>). A path starting with '/' becomes the DOS path Wine maps it to (normally
// Z:\...); any other path is returned unchanged.
std::wstring WinePathFromUnix(const std::wstring& path);

// CreateProcessW of exePath (a Windows path, or a Unix path, see WinePathFromUnix) with optional
// arguments; the working folder defaults to the caller's. Throws when the program cannot start.
Process StartProgram(const std::wstring& exePath, const std::wstring& workingFolder = {},
                     const std::wstring& arguments = {});

// The exit code; throws when the program is still running after timeout.
DWORD WaitForExit(Process& process, std::chrono::milliseconds timeout = kDefaultTimeout);

bool IsRunning(const Process& process);

// Ends the program if it still runs and waits (bounded) until it has gone. Under Wine, wait for
// the program's first window before ending it: a program killed while it starts leaves Wine's
// desktop process (explorer.exe) running on for a long time (over 80 s seen).
void Terminate(Process& process, DWORD exitCode = Process::kTerminatedExitCode);

}  // namespace qh::testing
