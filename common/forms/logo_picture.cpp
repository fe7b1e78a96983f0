#include "forms/logo_picture.h"

#include <olectl.h>

#include <cstring>

#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::forms {
namespace {

void FreeGlobal(HGLOBAL memory) noexcept { ::GlobalFree(memory); }
using UniqueGlobal = win32::UniqueHandle<HGLOBAL, FreeGlobal>;

// A stream over a copy of the resource bytes; the stream frees the copy when released.
win32::ComPtr<IStream> StreamOverResource(HINSTANCE module, int resourceId) {
    const auto name = MAKEINTRESOURCEW(resourceId);
    HRSRC info =
        win32::ThrowLastErrorIfNull(::FindResourceW(module, name, RT_RCDATA), L"FindResourceW", L"product logo");
    const DWORD size = ::SizeofResource(module, info);
    HGLOBAL loaded = win32::ThrowLastErrorIfNull(::LoadResource(module, info), L"LoadResource", L"product logo");
    const void* bytes = win32::ThrowLastErrorIfNull(::LockResource(loaded), L"LockResource", L"product logo");

    UniqueGlobal copy(win32::ThrowLastErrorIfNull(::GlobalAlloc(GMEM_MOVEABLE, size), L"GlobalAlloc", L"product logo"));
    void* target = win32::ThrowLastErrorIfNull(::GlobalLock(copy.get()), L"GlobalLock", L"product logo");
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(copy.get());

    win32::ComPtr<IStream> stream;
    win32::ThrowIfFailed(::CreateStreamOnHGlobal(copy.get(), TRUE, stream.put()), L"CreateStreamOnHGlobal",
                         L"product logo");
    copy.release();  // the stream owns it now
    return stream;
}

}  // namespace

LogoPicture::LogoPicture(HINSTANCE module, int resourceId) noexcept {
    try {
        Decode(module, resourceId);
    } catch (...) {
        picture_.reset();
        pixelSize_ = {};
    }
}

void LogoPicture::Decode(HINSTANCE module, int resourceId) {
    const win32::ComPtr<IStream> stream = StreamOverResource(module, resourceId);
    win32::ThrowIfFailed(::OleLoadPicture(stream.get(), 0, FALSE, IID_IPicture, picture_.put_void()), L"OleLoadPicture",
                         L"product logo");

    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    win32::ThrowIfFailed(picture_->get_Width(&width), L"IPicture::get_Width");
    win32::ThrowIfFailed(picture_->get_Height(&height), L"IPicture::get_Height");
    himetricSize_ = {width, height};

    // The pixel size comes from the decoded bitmap itself: the HIMETRIC size went through the
    // screen's resolution and would round.
    OLE_HANDLE handle = 0;
    win32::ThrowIfFailed(picture_->get_Handle(&handle), L"IPicture::get_Handle");
    BITMAP bitmap{};
    if (::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap) == 0) {
        win32::ThrowLastError(L"GetObjectW", L"product logo");
    }
    pixelSize_ = {bitmap.bmWidth, bitmap.bmHeight};
}

void LogoPicture::Draw(HDC dc, SIZE size) const noexcept {
    if (!picture_) return;
    // The source rectangle runs bottom-up in HIMETRIC, as IPicture::Render expects.
    picture_->Render(dc, 0, 0, size.cx, size.cy, 0, himetricSize_.cy, himetricSize_.cx, -himetricSize_.cy, nullptr);
}

}  // namespace qh::forms
