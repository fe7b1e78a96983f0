#include "ui_driver/process.h"
#include "test_handles.h"
#include "ui_driver/failure.h"
#include "ui_driver/window_info.h"
#include "ui_driver/window_search.h"

#include <memory>
#include <vector>

namespace qh::testing {
namespace {

// How long a terminated program may take to disappear.
constexpr std::chrono::milliseconds kTerminateTimeout{5'000};

constexpr std::chrono::milliseconds kShownTextTimeout{500};

// What a process has on screen, for the message of a wait that timed out: each visible top-level
// window and the texts in it (a report says there why the program did not end).
std::wstring WhatItShows(const Process& process) {
    WindowFilter filter;
    filter.processId = process.Pid();
    std::wstring shown;
    for (HWND window : FindTopLevelWindows(filter)) {
        shown += L"\n  " + DescribeWindow(window);
        for (HWND child : DescendantWindows(window)) {
            const auto text = TryControlText(child, kShownTextTimeout);
            if (text && !text->empty()) shown += L"\n    " + Quoted(*text);
        }
    }
    return shown.empty() ? L"; it shows no window" : L"; it shows:" + shown;
}

std::wstring FileName(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring QuotedForCommandLine(const std::wstring& path) {
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

win32::UniqueFileHandle OpenInheritableNul() {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    win32::UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!nul) FailWithLastError(L"cannot open NUL");
    return nul;
}

}  // namespace

Process::Process(PROCESS_INFORMATION info, std::wstring exePath)
    : process_(info.hProcess),
      thread_(info.hThread),
      pid_(info.dwProcessId),
      threadId_(info.dwThreadId),
      exePath_(std::move(exePath)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        TerminateIfRunning();
        process_ = std::move(other.process_);
        thread_ = std::move(other.thread_);
        pid_ = other.pid_;
        threadId_ = other.threadId_;
        exePath_ = std::move(other.exePath_);
    }
    return *this;
}

Process::~Process() { TerminateIfRunning(); }

void Process::TerminateIfRunning() noexcept {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), kTerminatedExitCode);
        ::WaitForSingleObject(process_.get(), static_cast<DWORD>(kTerminateTimeout.count()));
    }
}

std::wstring Process::Describe() const { return FileName(exePath_) + L" (pid " + std::to_wstring(pid_) + L")"; }

std::optional<std::wstring> EnvironmentVariable(const wchar_t* name) {
    const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    value.resize(length);
    return value;
}

std::wstring WinePathFromUnix(const std::wstring& path) {
    if (path.empty() || path.front() != L'/') return path;
    // Wine exports the mapping it uses itself; Windows has no such export and no Unix paths.
    using ToDos = WCHAR* (*)(const char*);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto toDos =
        kernel
            ? reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "wine_get_dos_file_name")))
            : nullptr;
    if (toDos) {
        const std::string unixPath = Utf8(path);
        if (WCHAR* dos = toDos(unixPath.c_str())) {
            std::wstring result(dos);
            ::HeapFree(::GetProcessHeap(), 0, dos);
            return result;
        }
    }
    // Wine's default prefix maps the Unix root to Z:.
    std::wstring result = L"Z:" + path;
    for (auto& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

Process StartProgram(const std::wstring& exePath, const std::wstring& workingFolder, const std::wstring& arguments) {
    const std::wstring program = WinePathFromUnix(exePath);
    const std::wstring folder = WinePathFromUnix(workingFolder);
    std::wstring commandLine = QuotedForCommandLine(program);
    if (!arguments.empty()) commandLine += L" " + arguments;
    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    // Under Wine a child otherwise shares the caller's Unix standard streams, and so does every
    // helper it starts that outlives it: a test runner waiting for the end of its output would
    // wait for those too.
    const auto nul = OpenInheritableNul();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = nul.get();
    startup.hStdError = nul.get();
    PROCESS_INFORMATION info{};
    // (A start Wine loses before the program runs shows here as ERROR_INTERNAL_ERROR; the bench
    // runs Wine in a way that ends those, see scripts/wine-bench.)
    if (!::CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        FailWithLastError(L"cannot start " + Quoted(program) +
                          (folder.empty() ? std::wstring{} : L" in " + Quoted(folder)));
    }
    return Process(info, program);
}

DWORD WaitForExit(Process& process, std::chrono::milliseconds timeout) {
    const DWORD waited = ::WaitForSingleObject(process.Handle(), static_cast<DWORD>(timeout.count()));
    if (waited == WAIT_TIMEOUT) {
        Fail(L"timed out after " + Milliseconds(timeout) + L" waiting for " + process.Describe() + L" to exit" +
             WhatItShows(process));
    }
    if (waited != WAIT_OBJECT_0) FailWithLastError(L"cannot wait for " + process.Describe());
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.Handle(), &exitCode)) {
        FailWithLastError(L"cannot read the exit code of " + process.Describe());
    }
    return exitCode;
}

bool IsRunning(const Process& process) {
    return process.Handle() && ::WaitForSingleObject(process.Handle(), 0) == WAIT_TIMEOUT;
}

void Terminate(Process& process, DWORD exitCode) {
    if (!IsRunning(process)) return;
    // It may have exited between the check and this call; only a failure while it still runs counts.
    if (!::TerminateProcess(process.Handle(), exitCode) && IsRunning(process)) {
        FailWithLastError(L"cannot terminate " + process.Describe());
    }
    WaitForExit(process, kTerminateTimeout);
}

}  // namespace qh::testing
