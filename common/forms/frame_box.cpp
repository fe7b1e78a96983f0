#include "forms/frame_box.h"

#include "win32/win32_error.h"

namespace qh::forms {
namespace {

// The group box's own procedure is kept in its user data, which the Button class leaves to us.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(frame, GWLP_USERDATA));
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_COMMAND:
        case WM_NEXTDLGCTL:  // a multi-line edit asks its parent for the next field on Tab
        case DM_GETDEFID:    // ... and for the default button on Enter
            return ::SendMessageW(::GetParent(frame), message, wParam, lParam);
        case WM_CLOSE:  // a multi-line edit's Escape asks its parent to close; a frame never does
            return 0;
        default:
            return ::CallWindowProcW(original, frame, message, wParam, lParam);
    }
}

}  // namespace

void ForwardChildRequestsToParent(HWND groupBox) {
    const LONG_PTR original = ::GetWindowLongPtrW(groupBox, GWLP_WNDPROC);
    ::SetWindowLongPtrW(groupBox, GWLP_USERDATA, original);
    ::SetLastError(0);
    if (!::SetWindowLongPtrW(groupBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc)) && ::GetLastError()) {
        win32::ThrowLastError(L"SetWindowLongPtrW", L"GWLP_WNDPROC");
    }
}

}  // namespace qh::forms
