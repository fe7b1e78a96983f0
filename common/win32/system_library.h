#pragma once
// A DLL that is no Known DLL, loaded by name from the system folder when it is first needed, after
// the program has restricted the library search, and never imported: a DLL of that name beside a
// downloaded setup program is never loaded.
#include <windows.h>

#include <cstring>
#include <string>

#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::win32 {

inline UniqueLibrary LoadSystemLibrary(const wchar_t* name) {
    return UniqueLibrary(
        ThrowLastErrorIfNull(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), L"LoadLibraryExW", name));
}

template <typename Function>
Function ProcedureOf(HMODULE module, const char* name) {
    // Through a function type without parameters, which any function pointer may be cast to and
    // from without a warning of mismatched types.
    const auto procedure = reinterpret_cast<void (*)()>(::GetProcAddress(module, name));
    if (!procedure) ThrowLastError(L"GetProcAddress", std::wstring(name, name + std::strlen(name)));
    return reinterpret_cast<Function>(procedure);
}

}  // namespace qh::win32
