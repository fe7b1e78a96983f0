#include "forms/picture_box.h"

#include <oleacc.h>

#include <string>

#include "core/product.h"
#include "forms/accessible_object.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::forms {
namespace {

void PaintContent(HWND box, HDC dc, const PictureBoxContent& content) {
    RECT client{};
    ::GetClientRect(box, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    content.logo->Draw(dc, content.drawSize);
}

LRESULT CALLBACK PictureBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* content = reinterpret_cast<const PictureBoxContent*>(::GetWindowLongPtrW(box, GWLP_USERDATA));
    if (!content) return ::DefWindowProcW(box, message, wParam, lParam);

    try {
        switch (message) {
            case WM_ERASEBKGND: return 1;  // painting covers every pixel
            case WM_PAINT: {
                win32::PaintDc paint(box);
                PaintContent(box, paint.get(), *content);
                return 0;
            }
            case WM_PRINTCLIENT: PaintContent(box, reinterpret_cast<HDC>(wParam), *content); return 0;
            case WM_GETOBJECT:
                // The logo's text alternative: without it a screen reader finds a nameless client area.
                if (const LRESULT answer =
                        AnswerClientObject(box, wParam, lParam, {ROLE_SYSTEM_GRAPHIC, std::wstring(kLogoName), {}})) {
                    return answer;
                }
                break;
            case WM_NCDESTROY: ::SetWindowLongPtrW(box, GWLP_USERDATA, 0); break;
            default: break;
        }
    } catch (...) {
        content->events->OnFailure(std::current_exception());
        return 0;
    }
    return ::DefWindowProcW(box, message, wParam, lParam);
}

}  // namespace

void RegisterPictureBoxClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PictureBoxProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPictureBoxClass;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        win32::ThrowLastError(L"RegisterClassExW", kPictureBoxClass);
    }
}

}  // namespace qh::forms
