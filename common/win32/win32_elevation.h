#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "core/elevation.h"

namespace qh::win32 {

// Whether this process has an administrator's full token: elevated, or an administrator's where
// nothing is split off (User Account Control turned off).
bool IsElevated();

// The shell's request to start `program` as an administrator, the prompt owned by `owner`. The user
// accepted the medium when they started the program: the download mark, which the medium keeps on
// purpose, brings no second security warning before the prompt (no zone check).
SHELLEXECUTEINFOW AdministratorStartOf(const std::wstring& program, const std::wstring& parameters, HWND owner);

// Elevation through the shell's "runas" verb, the only way Windows offers to ask for an
// administrator: the consent prompt for an administrator, the credentials prompt for anyone else.
class Win32Elevation final : public Elevation {
public:
    // `windowOf` gives the window of a form, which owns the prompt.
    explicit Win32Elevation(std::function<HWND(Form)> windowOf) : windowOf_(std::move(windowOf)) {}
    bool IsElevated() override { return win32::IsElevated(); }
    TokenKind Token() override;
    // Through advapi32, a Known DLL.
    std::optional<std::uint32_t> SystemPolicy(const wchar_t* name) override;
    std::unique_ptr<ElevatedRun> StartHelpFileStep(const std::wstring& program, Form owner) override;

private:
    std::function<HWND(Form)> windowOf_;
};

}  // namespace qh::win32
