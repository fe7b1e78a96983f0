#include "ui_driver/screenshot.h"

#include "ui_driver/failure.h"
#include "ui_driver/png_writer.h"
#include "ui_driver/window_info.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {

COLORREF Image::Pixel(std::uint32_t x, std::uint32_t y) const {
    const std::size_t at = (std::size_t{y} * width + x) * 3;
    return RGB(rgb.at(at), rgb.at(at + 1), rgb.at(at + 2));
}

void WaitUntilPainted(HWND window, std::chrono::milliseconds timeout) {
    const auto painted = [&] {
        if (::GetUpdateRect(window, nullptr, FALSE)) return false;
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) return false;
        }
        // The update region empties when WM_PAINT begins; the answer to a message sent now comes
        // only after the painting has ended.
        DWORD_PTR ignored = 0;
        return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                     static_cast<UINT>(kMessageTimeout.count()), &ignored) != 0;
    };
    WaitUntil(timeout, painted, [&] { return DescribeWindow(window) + L" to finish painting"; });
}

Image CaptureWindow(HWND window) {
    WaitUntilPainted(window);
    const RECT rect = ScreenRect(window);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) Fail(L"cannot capture " + DescribeWindow(window) + L": it has no area");

    win32::WindowDc screen(nullptr);
    if (!screen.get()) FailWithLastError(L"cannot get the screen's device context");
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    if (!memory) FailWithLastError(L"cannot create a memory device context");

    // A top-down 32-bit DIB section, so the bits read row by row from the top without padding.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueBitmap bitmap(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) FailWithLastError(L"cannot create a bitmap for a picture of " + DescribeWindow(window));
    {
        win32::SelectObjectGuard selected(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT)) {
            FailWithLastError(L"cannot copy " + DescribeWindow(window) + L" from the screen");
        }
    }
    ::GdiFlush();

    Image image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.rgb.resize(std::size_t{image.width} * image.height * 3);
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    for (std::size_t pixel = 0; pixel < std::size_t{image.width} * image.height; ++pixel) {
        image.rgb[pixel * 3] = bgrx[pixel * 4 + 2];
        image.rgb[pixel * 3 + 1] = bgrx[pixel * 4 + 1];
        image.rgb[pixel * 3 + 2] = bgrx[pixel * 4];
    }
    return image;
}

void SaveWindowPng(HWND window, const std::filesystem::path& path) {
    const Image image = CaptureWindow(window);
    WritePng(path, image.width, image.height, image.rgb);
}

}  // namespace qh::testing
