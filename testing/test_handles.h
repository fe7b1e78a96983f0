#pragma once
// Owners of the handles that only the test tools use, made like the product's (win32/unique_handle.h).
#include <windows.h>

#include "win32/unique_handle.h"

namespace qh::win32 {

// CreateFile and a few others say "no handle" with INVALID_HANDLE_VALUE instead of null.
struct MinusOneIsInvalid {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};

namespace detail {
inline void DeleteDeviceContext(HDC h) noexcept { ::DeleteDC(h); }
}  // namespace detail

using UniqueFileHandle = UniqueHandle<HANDLE, detail::CloseKernelHandle, MinusOneIsInvalid>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject>;
using UniqueMemoryDc = UniqueHandle<HDC, detail::DeleteDeviceContext>;

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
