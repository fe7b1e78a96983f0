#include "main_window.h"

#include <stdexcept>
#include <string>

#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::sample {
namespace {
constexpr wchar_t kClassName[] = L"QhSampleMain";
constexpr UINT_PTR kShowTimer = 1;
}  // namespace

void MainWindow::Register(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) throw std::runtime_error("RegisterClassExW (main window) failed");
    SecondWindow::Register(instance);
}

void MainWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kMainClientSize.cx, kMainClientSize.cy};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    ::CreateWindowExW(0, kClassName, kCaption, style, 100, 100, frame.right - frame.left, frame.bottom - frame.top,
                      nullptr, nullptr, instance, this);
    if (!window_) throw std::runtime_error("CreateWindowExW (main window) failed");
}

HWND MainWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, ControlId id, Placement place) {
    HWND control =
        ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, place.x, place.y, place.width,
                          place.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (!control) throw std::runtime_error("CreateWindowExW (control) failed");
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

void MainWindow::OnCreate() {
    // Creation order is the tab order.
    AddControl(L"STATIC", L"Clicks: 0", SS_LEFT, kClicksLabel, kClicksLabelPlace);
    AddControl(L"BUTTON", L"Count", WS_TABSTOP | BS_PUSHBUTTON, kCountButton, kCountButtonPlace);
    AddControl(L"BUTTON", L"Second window", WS_TABSTOP | BS_PUSHBUTTON, kSecondButton, kSecondButtonPlace);
    focusWhenDeactivated_ =
        AddControl(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kEditableField, kEditablePlace);
    AddControl(L"EDIT", kReadOnlyText, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, kReadOnlyField,
               kReadOnlyPlace);
}

void MainWindow::OnCommand(int id) {
    if (id == kCountButton) {
        ++clicks_;
        ::SetDlgItemTextW(window_, kClicksLabel, (L"Clicks: " + std::to_wstring(clicks_)).c_str());
    } else if (id == kSecondButton) {
        second_.Show(instance_, window_);
    }
}

void MainWindow::PaintContent(HDC dc) {
    const win32::UniqueBrush marker(::CreateSolidBrush(kMarkerColour));
    ::FillRect(dc, &kMarker, marker.get());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
        case WM_PAINT: {
            const win32::PaintDc paint(window_);
            PaintContent(paint.get());
            return 0;
        }
        case WM_ACTIVATE:
            // Keep the focus on the same control when the window is deactivated and activated again.
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = ::GetFocus(); focus && ::IsChild(window_, focus)) focusWhenDeactivated_ = focus;
            } else if (focusWhenDeactivated_) {
                ::SetFocus(focusWhenDeactivated_);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kShowTimer) {
                ::KillTimer(window_, kShowTimer);
                ::ShowWindow(window_, SW_SHOW);
            }
            return 0;
        case WM_DESTROY: ::PostQuitMessage(clicks_); return 0;
        default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::ShowAfter(unsigned milliseconds) {
    if (milliseconds == 0) {
        ::ShowWindow(window_, SW_SHOW);
    } else {
        ::SetTimer(window_, kShowTimer, milliseconds, nullptr);
    }
}

}  // namespace qh::sample
