#pragma once
// Turning a failed platform call into a SetupError that carries the call, its argument and the
// system's own description of the error.
#include <windows.h>

#include <string>
#include <string_view>

#include "core/setup_error.h"

namespace qh::win32 {

// The system's text for an error number (Win32 error or HRESULT), without the trailing line break.
std::wstring SystemMessage(DWORD code);

[[noreturn]] void ThrowLastError(std::wstring_view operation, std::wstring_view argument = {});
// The same for an error number read before other calls that may have changed the last error.
[[noreturn]] void ThrowError(DWORD error, std::wstring_view operation, std::wstring_view argument = {});
[[noreturn]] void ThrowHresult(HRESULT hr, std::wstring_view operation, std::wstring_view argument = {});

inline void ThrowIfFailed(HRESULT hr, std::wstring_view operation, std::wstring_view argument = {}) {
    if (FAILED(hr)) ThrowHresult(hr, operation, argument);
}

template <typename T>
T ThrowLastErrorIfNull(T value, std::wstring_view operation, std::wstring_view argument = {}) {
    if (!value) ThrowLastError(operation, argument);
    return value;
}

}  // namespace qh::win32
