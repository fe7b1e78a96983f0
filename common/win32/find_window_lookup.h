#pragma once
#include "core/window_lookup.h"

namespace qh::win32 {

// FindWindowA with a class name and no window name: it sees hidden top-level windows too.
class FindWindowLookup final : public WindowLookup {
public:
    bool TopLevelWindowExists(std::string_view className) override;
};

}  // namespace qh::win32
