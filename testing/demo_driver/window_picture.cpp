#include "window_picture.h"

#include <stdexcept>
#include <vector>

#include "ui_driver/png_writer.h"
#include "ui_driver/window_info.h"
#include "win32/unique_handle.h"

namespace qh::testing {

void SaveWindowPicture(HWND window, const std::filesystem::path& path) {
    const RECT rect = ScreenRect(window);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) throw std::runtime_error("the window has no area");

    win32::WindowDc screen(nullptr);
    win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueBitmap bitmap(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) throw std::runtime_error("cannot create a bitmap");
    {
        win32::SelectObjectGuard selected(memory.get(), bitmap.get());
        if (!::PrintWindow(window, memory.get(), 0)) throw std::runtime_error("PrintWindow failed");
    }
    ::GdiFlush();
    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    for (size_t pixel = 0; pixel < rgb.size() / 3; ++pixel) {
        rgb[pixel * 3] = bgrx[pixel * 4 + 2];
        rgb[pixel * 3 + 1] = bgrx[pixel * 4 + 1];
        rgb[pixel * 3 + 2] = bgrx[pixel * 4];
    }
    WritePng(path, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), rgb);
}

}  // namespace qh::testing
