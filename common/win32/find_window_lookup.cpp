#include "win32/find_window_lookup.h"

#include <windows.h>

#include <string>

namespace qh::win32 {

bool FindWindowLookup::TopLevelWindowExists(std::string_view className) {
    const std::string name(className);
    return ::FindWindowA(name.c_str(), nullptr) != nullptr;
}

}  // namespace qh::win32
