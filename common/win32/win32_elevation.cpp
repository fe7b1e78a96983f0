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

template <typename Information>
bool ReadOwnToken(TOKEN_INFORMATION_CLASS kind, Information& information) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const UniqueKernelHandle token(opened);
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), kind, &information, sizeof(information), &size) != 0;
}

}  // namespace

bool IsElevated() {
    TOKEN_ELEVATION elevation{};
    return ReadOwnToken(TokenElevation, elevation) && elevation.TokenIsElevated != 0;
}

TokenKind Win32Elevation::Token() {
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    // Unread, it is taken for one without a linked token, for which Windows asks for an
    // administrator's name and password unless its policy forbids it.
    if (!ReadOwnToken(TokenElevationType, type)) return TokenKind::Unsplit;
    switch (type) {
        case TokenElevationTypeFull: return TokenKind::Full;
        case TokenElevationTypeLimited: return TokenKind::Limited;
        case TokenElevationTypeDefault: return TokenKind::Unsplit;
    }
    return TokenKind::Unsplit;
}

std::optional<std::uint32_t> Win32Elevation::SystemPolicy(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", name,
                       RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

SHELLEXECUTEINFOW AdministratorStartOf(const std::wstring& program, const std::wstring& parameters, HWND owner) {
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    // Since April 2024 SEE_MASK_FLAG_NO_UI no longer hides the zone check's warnings.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
    start.hwnd = owner;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    return start;
}

std::unique_ptr<ElevatedRun> Win32Elevation::StartHelpFileStep(const std::wstring& program, Form owner) {
    // shell32 is loaded only when an administrator is needed: most runs never need one.
    const UniqueLibrary shell32 = LoadSystemLibrary(L"shell32.dll");
    const auto shellExecuteEx = ProcedureOf<decltype(&::ShellExecuteExW)>(shell32.get(), "ShellExecuteExW");
    const std::wstring parameters(kHelpFileStepSwitch);
    SHELLEXECUTEINFOW start = AdministratorStartOf(program, parameters, windowOf_(owner));
    if (!shellExecuteEx(&start)) {
        if (::GetLastError() == ERROR_CANCELLED) return nullptr;
        ThrowLastError(L"ShellExecuteExW runas", program);
    }
    UniqueKernelHandle process(start.hProcess);
    if (!process) throw SetupError(L"ShellExecuteExW runas", program, 0, L"No process to wait for");
    return std::make_unique<Win32ElevatedRun>(std::move(process));
}

}  // namespace qh::win32
