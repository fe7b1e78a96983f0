#include "registry_key.h"

#include <system_error>

namespace qh::testing {

namespace {
[[noreturn]] void ThrowRegistryError(LSTATUS status, const char* what) {
    throw std::system_error(static_cast<int>(status), std::system_category(), what);
}
}  // namespace

UniqueRegistryKey OpenKeyForReading(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    return UniqueRegistryKey(key);
}

UniqueRegistryKey CreateKeyForWriting(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) ThrowRegistryError(status, "RegCreateKeyExW");
    return UniqueRegistryKey(key);
}

std::optional<std::wstring> ReadText(HKEY key, const wchar_t* valueName) {
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // One spare character: a stored value need not end in a terminator.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<DWORD> ReadNumber(HKEY key, const wchar_t* valueName) {
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return number;
}

void WriteText(HKEY key, const wchar_t* valueName, const std::wstring& text) {
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    const LSTATUS status =
        ::RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) ThrowRegistryError(status, "RegSetValueExW");
}

void WriteNumber(HKEY key, const wchar_t* valueName, DWORD number) {
    const LSTATUS status =
        ::RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    if (status != ERROR_SUCCESS) ThrowRegistryError(status, "RegSetValueExW");
}

}  // namespace qh::testing
