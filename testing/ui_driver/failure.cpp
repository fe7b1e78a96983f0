#include "ui_driver/failure.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

namespace qh::testing {

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring Quoted(std::wstring_view text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        switch (c) {
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            case L'\t': out += L"\\t"; break;
            case L'"': out += L"\\\""; break;
            case L'\\': out += L"\\\\"; break;
            default:
                if (c < 0x20) {
                    wchar_t escaped[8];
                    std::swprintf(escaped, std::size(escaped), L"\\x%02X", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + L"\"";
}

std::wstring Milliseconds(std::chrono::milliseconds duration) { return std::to_wstring(duration.count()) + L" ms"; }

void Fail(std::wstring_view message) { throw std::runtime_error(Utf8(message)); }

void FailWithLastError(std::wstring_view message) {
    const DWORD error = ::GetLastError();
    Fail(std::wstring(message) + L" (error " + std::to_wstring(error) + L")");
}

}  // namespace qh::testing
