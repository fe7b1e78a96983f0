#pragma once
// The product's name, as every window caption, message and report names it.
#include <string_view>

namespace qh {

inline constexpr std::wstring_view kProductName = L"Quenzo Halvorn";

}  // namespace qh
