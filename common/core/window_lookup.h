#pragma once
#include <string_view>
#include <vector>

namespace qh {

// How a top-level window is shown. An Excel started for automation keeps its window hidden; a
// minimised window is still the user's to see, on the taskbar.
enum class WindowShown { Hidden, Minimised, OnScreen };

class WindowLookup {
public:
    virtual ~WindowLookup() = default;
    // How each top-level window of this class is shown, hidden ones included; none when there is
    // no such window.
    virtual std::vector<WindowShown> TopLevelWindows(std::string_view className) = 0;
};

}  // namespace qh
