#pragma once
// Pictures of a window as the user sees it, frame included.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "ui_driver/wait.h"

namespace qh::testing {

struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, 3 bytes per pixel: red, green, blue

    COLORREF Pixel(std::uint32_t x, std::uint32_t y) const;
};

// Waits until the window and its children have nothing left to paint (no update region) and its
// thread has come back to its message loop, so a picture shows the finished drawing. A window
// that has just appeared is often not painted yet.
void WaitUntilPainted(HWND window, std::chrono::milliseconds timeout = kDefaultTimeout);

// WaitUntilPainted, then the window's screen rectangle copied from the screen (BitBlt from GetDC(nullptr)): exactly
// what is on screen there, so anything overlapping the window is in the picture too; bring the window to the foreground
// first when that matters. Parts outside the screen come out black.
Image CaptureWindow(HWND window);

// CaptureWindow, written as a PNG file.
void SaveWindowPng(HWND window, const std::filesystem::path& path);

}  // namespace qh::testing
