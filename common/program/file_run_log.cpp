#include "program/file_run_log.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "win32/win32_error.h"

namespace qh::program {

namespace {

// A relative path made full against the current folder, which for the system account is System32
// and for some deployment tools a folder deleted after the run: the log names where it is.
std::wstring FullPathOf(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) win32::ThrowLastError(L"GetFullPathNameW", path);
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) win32::ThrowLastError(L"GetFullPathNameW", path);
    full.resize(length);
    return full;
}

}  // namespace

// Writes share the file: two runs given the same log (the second one ends at once, since one
// run is in progress) each append their own lines, each line whole.
FileRunLog::FileRunLog(const std::wstring& path)
    : path_(FullPathOf(path)),
      file_(::CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_) win32::ThrowLastError(L"CreateFileW", path_);
}

void FileRunLog::Step(std::wstring_view what) noexcept {
    try {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        wchar_t stamp[32]{};
        std::swprintf(stamp, std::size(stamp), L"%04u-%02u-%02u %02u:%02u:%02u.%03u  ", now.wYear, now.wMonth, now.wDay,
                      now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
        std::wstring line = stamp + std::wstring(what);
        while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
        line += L"\r\n";
        const int size =
            ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr,
                              nullptr);
        DWORD written = 0;
        ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    } catch (...) {
        // The line is lost, not the run.
    }
}

std::wstring OwnVersion() {
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_VERSION);
    const HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    const DWORD size = ::SizeofResource(nullptr, found);
    // VS_FIXEDFILEINFO follows the record's key, on a 4-byte boundary: found by its signature
    // (VerQueryValueW would import version.dll, which is no Known DLL).
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed{};
        std::memcpy(&fixed, bytes + at, sizeof fixed);
        if (fixed.dwSignature != 0xFEEF04BD) continue;
        return std::to_wstring(HIWORD(fixed.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed.dwFileVersionMS)) +
               L"." + std::to_wstring(HIWORD(fixed.dwFileVersionLS)) + L"." +
               std::to_wstring(LOWORD(fixed.dwFileVersionLS));
    }
    return {};
}

}  // namespace qh::program
