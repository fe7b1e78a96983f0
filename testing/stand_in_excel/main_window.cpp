#include "main_window.h"

#include <system_error>

#include "stand_in_identity.h"

namespace qh::testing {

namespace {

constexpr UINT_PTR kDelayedCloseTimer = 1;

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kExcelWindowClass;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "RegisterClassExW");
    }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, bool visible) {
    RegisterWindowClass(instance, &MainWindow::WindowProcedure);
    const HWND window = ::CreateWindowExW(0, kExcelWindowClass, kUserExcelTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, this);
    if (!window) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowExW");
    }
    if (visible) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::UpdateWindow(window);
    }
}

void MainWindow::PostClose() const noexcept {
    if (window_) ::PostMessageW(window_.get(), WM_CLOSE, 0, 0);
}

void MainWindow::CloseAfter(std::chrono::milliseconds delay) const noexcept {
    if (window_) ::SetTimer(window_.get(), kDelayedCloseTimer, static_cast<UINT>(delay.count()), nullptr);
}

void MainWindow::CancelDelayedClose() const noexcept {
    if (window_) ::KillTimer(window_.get(), kDelayedCloseTimer);
}

LRESULT CALLBACK MainWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_.reset(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = window_.get();
    switch (message) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_TIMER:
            if (wParam == kDelayedCloseTimer) {
                ::KillTimer(window, kDelayedCloseTimer);
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        case WM_NCDESTROY:
            // Destroyed by the system (WM_CLOSE): the owner must not destroy it again.
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_.release();
            return ::DefWindowProcW(window, message, wParam, lParam);
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::OnPaint() {
    win32::PaintDc paint(window_.get());
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    ::DrawTextW(paint.get(), L"Excel stand-in: close this window to end it.", -1, &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace qh::testing
