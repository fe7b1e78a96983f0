#pragma once
// An owned registry key, and the few reads and writes the stand-in and its tests need.
#include <windows.h>

#include <optional>
#include <string>

#include "win32/unique_handle.h"

namespace qh::testing {

namespace detail {
inline void CloseRegistryKey(HKEY key) noexcept { ::RegCloseKey(key); }
}  // namespace detail

using UniqueRegistryKey = win32::UniqueHandle<HKEY, detail::CloseRegistryKey>;

// Opens an existing key for reading; empty when it does not exist.
UniqueRegistryKey OpenKeyForReading(HKEY root, const std::wstring& path);
// Opens or creates a key for writing; throws std::system_error on failure.
UniqueRegistryKey CreateKeyForWriting(HKEY root, const std::wstring& path);

std::optional<std::wstring> ReadText(HKEY key, const wchar_t* valueName);
std::optional<DWORD> ReadNumber(HKEY key, const wchar_t* valueName);
void WriteText(HKEY key, const wchar_t* valueName, const std::wstring& text);
void WriteNumber(HKEY key, const wchar_t* valueName, DWORD number);

}  // namespace qh::testing
