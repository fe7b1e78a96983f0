#include "win32/win32_error.h"

namespace qh::win32 {

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    return text;
}

void ThrowLastError(std::wstring_view operation, std::wstring_view argument) {
    ThrowError(::GetLastError(), operation, argument);
}

void ThrowError(DWORD error, std::wstring_view operation, std::wstring_view argument) {
    throw SetupError(std::wstring(operation), std::wstring(argument), static_cast<std::int32_t>(error),
                     SystemMessage(error));
}

void ThrowHresult(HRESULT hr, std::wstring_view operation, std::wstring_view argument) {
    throw SetupError(std::wstring(operation), std::wstring(argument), static_cast<std::int32_t>(hr),
                     SystemMessage(static_cast<DWORD>(hr)));
}

}  // namespace qh::win32
