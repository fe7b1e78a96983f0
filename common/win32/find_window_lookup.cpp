#include "win32/find_window_lookup.h"

#include <windows.h>

#include <string>

namespace qh::win32 {
namespace {

// Windows that move in the Z order while they are looked at may be met twice; the look ends anyway.
constexpr std::size_t kMostWindows = 256;

WindowShown ShownOf(HWND window) {
    // True for a minimised window too.
    if (!::IsWindowVisible(window)) return WindowShown::Hidden;
    return ::IsIconic(window) ? WindowShown::Minimised : WindowShown::OnScreen;
}

}  // namespace

std::vector<WindowShown> FindWindowLookup::TopLevelWindows(std::string_view className) {
    const std::string name(className);
    const std::wstring wideName(className.begin(), className.end());
    std::vector<WindowShown> shown;
    for (HWND window = ::FindWindowA(name.c_str(), nullptr); window && shown.size() < kMostWindows;
         window = ::FindWindowExW(nullptr, window, wideName.c_str(), nullptr)) {
        shown.push_back(ShownOf(window));
    }
    return shown;
}

}  // namespace qh::win32
