#pragma once
#include <algorithm>
#include <cwctype>
#include <string_view>

namespace qh {

// Equal but for letter case, as Windows compares file names and command-line switches.
inline bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

}  // namespace qh
