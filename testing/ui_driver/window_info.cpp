#include "ui_driver/window_info.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

namespace qh::testing {
namespace {

void RequireWindow(HWND window, const wchar_t* reading) {
    if (!::IsWindow(window)) {
        Fail(L"cannot read the " + std::wstring(reading) + L" of window " + DescribeWindow(window) +
             L": it does not exist (any more)");
    }
}

}  // namespace

std::wstring Caption(HWND window) {
    RequireWindow(window, L"caption");
    std::vector<wchar_t> buffer(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1);
    const int length = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<std::wstring> TryControlText(HWND control, std::chrono::milliseconds timeout) {
    RequireWindow(control, L"text");
    const auto timeoutMs = static_cast<UINT>(timeout.count());
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &length)) {
        return std::nullopt;
    }
    // WM_GETTEXTLENGTH may overstate (never understate) the length; WM_GETTEXT says what it copied.
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &copied)) {
        return std::nullopt;
    }
    return std::wstring(buffer.data(), std::min<std::size_t>(copied, length));
}

std::wstring ControlText(HWND control, std::chrono::milliseconds timeout) {
    auto text = TryControlText(control, timeout);
    if (!text) {
        Fail(L"window " + DescribeWindow(control) + L" did not answer WM_GETTEXT within " + Milliseconds(timeout) +
             L" (is its program outside its message loop?)");
    }
    return *std::move(text);
}

void WaitForControlText(HWND control, const std::wstring& expected, std::chrono::milliseconds timeout) {
    std::optional<std::wstring> last;
    const bool seen = PollUntil(timeout, [&] {
        last = TryControlText(control, std::min(timeout, kMessageTimeout));
        return last == expected;
    });
    if (!seen) {
        Fail(L"timed out after " + Milliseconds(timeout) + L" waiting for the text of " + DescribeWindow(control) +
             L" to become " + Quoted(expected) + L"; last read: " + (last ? Quoted(*last) : L"no answer"));
    }
}

std::wstring ClassName(HWND window) {
    RequireWindow(window, L"class name");
    wchar_t name[256];
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(length));
}

int ControlId(HWND control) { return ::GetDlgCtrlID(control); }

SIZE ClientSize(HWND window) {
    RequireWindow(window, L"client size");
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

RECT ScreenRect(HWND window) {
    RequireWindow(window, L"rectangle");
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT RectInParent(HWND control) {
    RECT rect = ScreenRect(control);
    // Without a parent (a top-level window) the desktop is the reference, so the screen rectangle stays.
    if (HWND parent = ::GetAncestor(control, GA_PARENT); parent && parent != ::GetDesktopWindow()) {
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

DWORD Style(HWND window) { return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)); }
DWORD ExStyle(HWND window) { return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)); }
bool IsVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }
bool IsEnabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }
HWND Owner(HWND window) { return ::GetWindow(window, GW_OWNER); }

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

DWORD ThreadOf(HWND window) { return ::GetWindowThreadProcessId(window, nullptr); }

std::wstring DescribeWindow(HWND window) {
    wchar_t handle[32];
    std::swprintf(handle, std::size(handle), L"0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    // Never throws: the window may go away while it is being described.
    wchar_t className[256];
    wchar_t caption[256];
    if (!::IsWindow(window) || !::GetClassNameW(window, className, static_cast<int>(std::size(className)))) {
        return std::wstring(handle) + L" (gone)";
    }
    caption[0] = L'\0';
    ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
    return L"class " + Quoted(className) + L", caption " + Quoted(caption) + L", handle " + handle;
}

}  // namespace qh::testing
