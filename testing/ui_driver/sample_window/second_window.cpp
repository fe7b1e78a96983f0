#include "second_window.h"

#include <stdexcept>

#include "layout.h"

namespace qh::sample {
namespace {
constexpr wchar_t kClassName[] = L"QhSampleSecond";
}

void SecondWindow::Register(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) throw std::runtime_error("RegisterClassExW (second window) failed");
}

void SecondWindow::Show(HINSTANCE instance, HWND owner) {
    if (!window_) {
        constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        RECT frame{0, 0, kSecondClientSize.cx, kSecondClientSize.cy};
        ::AdjustWindowRectEx(&frame, style, FALSE, 0);
        ::CreateWindowExW(0, kClassName, kCaption, style, 200, 200, frame.right - frame.left, frame.bottom - frame.top,
                          owner, nullptr, instance, this);
        if (!window_) throw std::runtime_error("CreateWindowExW (second window) failed");
        ::CreateWindowExW(0, L"STATIC", kSecondWindowText, WS_CHILD | WS_VISIBLE | SS_LEFT, kSecondLabelPlace.x,
                          kSecondLabelPlace.y, kSecondLabelPlace.width, kSecondLabelPlace.height, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSecondLabel)), instance, nullptr);
    }
    ::ShowWindow(window_, SW_SHOW);
}

LRESULT SecondWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = window_;
    // The last message: a later Show creates the window anew.
    if (message == WM_NCDESTROY) window_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace qh::sample
