#include "ui_driver/input.h"

#include <vector>

#include "ui_driver/window_info.h"

namespace qh::testing {
namespace {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!::PostMessageW(window, message, wParam, lParam)) {
        FailWithLastError(L"cannot post message " + std::to_wstring(message) + L" to " + DescribeWindow(window));
    }
}

HWND FocusTarget(HWND window) {
    HWND focus = FocusedControl(window);
    return focus ? focus : window;
}

// lParam of WM_KEYDOWN / WM_KEYUP: repeat count 1, the scan code, and for a release the
// previous-state and transition bits.
LPARAM KeyMessageBits(WORD virtualKey, bool release) {
    const UINT scanCode = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM bits = 1 | static_cast<LPARAM>(scanCode & 0xFF) << 16;
    if (release) bits |= LPARAM{1} << 30 | LPARAM{1} << 31;
    return bits;
}

void Inject(std::vector<INPUT>& inputs, std::wstring_view what) {
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        FailWithLastError(L"SendInput delivered " + std::to_wstring(sent) + L" of " + std::to_wstring(inputs.size()) +
                          L" events for " + std::wstring(what));
    }
}

INPUT KeyInput(WORD virtualKey, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT MouseButtonInput(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    return input;
}

}  // namespace

void ClickButton(HWND button) { Post(button, BM_CLICK, 0, 0); }

void MouseClick(HWND control) {
    BringToForeground(control);
    const RECT rect = ScreenRect(control);
    const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (!::SetCursorPos(centre.x, centre.y)) {
        FailWithLastError(L"cannot move the mouse over " + DescribeWindow(control));
    }
    if (HWND under = ::WindowFromPoint(centre); under != control && !::IsChild(control, under)) {
        Fail(L"cannot click " + DescribeWindow(control) + L": window " + DescribeWindow(under) + L" covers its centre");
    }
    std::vector<INPUT> inputs = {MouseButtonInput(MOUSEEVENTF_LEFTDOWN), MouseButtonInput(MOUSEEVENTF_LEFTUP)};
    Inject(inputs, L"a click on " + DescribeWindow(control));
}

void CloseByCloseBox(HWND window) { Post(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

HWND FocusedWindow(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(threadId, &info)) return nullptr;
    return info.hwndFocus;
}

HWND FocusedControl(HWND window) { return FocusedWindow(ThreadOf(window)); }

void WaitForFocus(HWND expected, std::chrono::milliseconds timeout) {
    const DWORD thread = ThreadOf(expected);
    WaitUntil(
        timeout, [&] { return FocusedWindow(thread) == expected; },
        [&] {
            HWND focus = FocusedWindow(thread);
            return L"the focus on " + DescribeWindow(expected) + L" (it is on " +
                   (focus ? DescribeWindow(focus) : std::wstring(L"nothing")) + L")";
        });
}

void BringToForeground(HWND window, std::chrono::milliseconds timeout) {
    HWND topLevel = ::GetAncestor(window, GA_ROOT);
    if (!topLevel) Fail(L"cannot bring " + DescribeWindow(window) + L" to the foreground: no top-level window");
    if (::GetForegroundWindow() == topLevel) return;
    ::SetForegroundWindow(topLevel);
    WaitUntil(
        timeout, [&] { return ::GetForegroundWindow() == topLevel; },
        [&] { return DescribeWindow(topLevel) + L" to become the foreground window"; });
}

void PostKey(HWND window, WORD virtualKey) {
    HWND target = FocusTarget(window);
    Post(target, WM_KEYDOWN, virtualKey, KeyMessageBits(virtualKey, false));
    Post(target, WM_KEYUP, virtualKey, KeyMessageBits(virtualKey, true));
}

void PostText(HWND window, std::wstring_view text) {
    HWND target = FocusTarget(window);
    for (wchar_t c : text) {
        Post(target, WM_CHAR, c, 1);
    }
}

void InjectKeys(HWND window, std::initializer_list<WORD> chord) {
    BringToForeground(window);
    std::vector<INPUT> inputs;
    for (WORD key : chord) inputs.push_back(KeyInput(key, false));
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) inputs.push_back(KeyInput(*key, true));
    Inject(inputs, L"keys for " + DescribeWindow(window));
}

void InjectText(HWND window, std::wstring_view text) {
    BringToForeground(window);
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool release : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    Inject(inputs, L"text " + Quoted(text) + L" for " + DescribeWindow(window));
}

}  // namespace qh::testing
