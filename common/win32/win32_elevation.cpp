#include "win32/win32_elevation.h"

#include <shellapi.h>

#include <string>

#include "win32/system_library.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

class Win32ElevatedRun final : public ElevatedRun {
public:
    explicit Win32ElevatedRun(UniqueKernelHandle process) noexcept : process_(std::move(process)) {}
    bool HasEnded() noexcept override { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
    std::uint32_t ExitCode() override {
        DWORD code = 0;
        if (!::GetExitCodeProcess(process_.get(), &code)) ThrowLastError(L"GetExitCodeProcess");
        return code;
    }

private:
    UniqueKernelHandle process_;
};

}  // namespace

bool IsElevated() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const UniqueKernelHandle token(opened);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

std::unique_ptr<ElevatedRun> Win32Elevation::StartHelpFileStep(const std::wstring& program, Form owner) {
    // shell32 is loaded only when an administrator is needed: most runs never need one.
    const UniqueLibrary shell32 = LoadSystemLibrary(L"shell32.dll");
    const auto shellExecuteEx = ProcedureOf<decltype(&::ShellExecuteExW)>(shell32.get(), "ShellExecuteExW");
    const std::wstring parameters(kHelpFileStepSwitch);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    start.hwnd = windowOf_(owner);
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!shellExecuteEx(&start)) {
        if (::GetLastError() == ERROR_CANCELLED) return nullptr;
        ThrowLastError(L"ShellExecuteExW runas", program);
    }
    UniqueKernelHandle process(start.hProcess);
    if (!process) throw SetupError(L"ShellExecuteExW runas", program, 0, L"No process to wait for");
    return std::make_unique<Win32ElevatedRun>(std::move(process));
}

}  // namespace qh::win32
