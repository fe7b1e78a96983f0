#pragma once
// Owners of the handles that only the test tools use, made like the product's (win32/unique_handle.h).
#include <windows.h>

#include "win32/unique_handle.h"

namespace qh::win32 {

namespace detail {
inline void DeleteDeviceContext(HDC h) noexcept { ::DeleteDC(h); }
inline void UnhookWindowsHook(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
}  // namespace detail

using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject>;
using UniqueMemoryDc = UniqueHandle<HDC, detail::DeleteDeviceContext>;
using UniqueHook = UniqueHandle<HHOOK, detail::UnhookWindowsHook>;

}  // namespace qh::win32
