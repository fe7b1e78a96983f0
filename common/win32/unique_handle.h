#pragma once
// Move-only owners of Win32 handles, one line per kind.
#include <windows.h>

#include <utility>

namespace qh::win32 {

template <typename Handle>
struct NullIsInvalid {
    static Handle Invalid() noexcept { return Handle{}; }
};

// CreateFile and a few others say "no handle" with INVALID_HANDLE_VALUE instead of null.
struct MinusOneIsInvalid {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};

template <typename Handle, auto Close, typename Traits = NullIsInvalid<Handle>>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset() noexcept { reset(Traits::Invalid()); }
    void reset(Handle handle) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) {
            Close(old);
        }
    }

private:
    Handle handle_ = Traits::Invalid();
};

namespace detail {
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void FreeLibraryHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
}  // namespace detail

using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
using UniqueFileHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle, MinusOneIsInvalid>;
using UniqueWindow = UniqueHandle<HWND, detail::DestroyWindowHandle>;
using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdiObject>;
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIconHandle>;
using UniqueLibrary = UniqueHandle<HMODULE, detail::FreeLibraryHandle>;

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// GetDC/ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
    ~SelectObjectGuard() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace qh::win32
