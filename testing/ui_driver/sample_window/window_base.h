#pragma once
// One class per window kind: the window procedure finds the object stored at WM_NCCREATE and
// forwards to its HandleMessage. No exception crosses the window procedure: the first one is kept
// and rethrown by RethrowPendingFailure once the message loop has ended.
#include <windows.h>

#include <exception>
#include <utility>

namespace qh::sample {

inline std::exception_ptr& PendingFailure() {
    static std::exception_ptr failure;
    return failure;
}

inline void RethrowPendingFailure() {
    if (auto failure = std::exchange(PendingFailure(), nullptr)) std::rethrow_exception(failure);
}

template <typename Derived>
class WindowBase {
public:
    HWND Handle() const noexcept { return window_; }

protected:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->window_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
        try {
            return self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            if (!PendingFailure()) PendingFailure() = std::current_exception();
            ::PostQuitMessage(1);
            return 0;
        }
    }

    HWND window_ = nullptr;
};

}  // namespace qh::sample
