#pragma once
#include <string_view>

namespace qh {

class WindowLookup {
public:
    virtual ~WindowLookup() = default;
    // True while a top-level window of this class exists, hidden ones included.
    virtual bool TopLevelWindowExists(std::string_view className) = 0;
};

}  // namespace qh
