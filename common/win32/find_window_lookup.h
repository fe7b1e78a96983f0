#pragma once
#include "core/window_lookup.h"

namespace qh::win32 {

// FindWindowA with a class name and no window name, which sees hidden top-level windows too, then
// the other windows of the class after it.
class FindWindowLookup final : public WindowLookup {
public:
    std::vector<WindowShown> TopLevelWindows(std::string_view className) override;
};

}  // namespace qh::win32
