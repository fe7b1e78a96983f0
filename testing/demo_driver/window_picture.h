#pragma once
#include <windows.h>

#include <filesystem>

namespace qh::testing {

// The window drawn by itself (PrintWindow), frame included, even where another window covers it
// on screen: the start-up window spends its life behind the dialogs.
void SaveWindowPicture(HWND window, const std::filesystem::path& path);

}  // namespace qh::testing
