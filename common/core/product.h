#pragma once
// The product's name, as every window caption, message and report names it, and its logo's.
#include <string_view>

namespace qh {

inline constexpr std::wstring_view kProductName = L"Quenzo Halvorn";
// The logo's text alternative, which a screen reader reads for the picture.
inline constexpr std::wstring_view kLogoName = L"Quenzo Halvorn logo";

}  // namespace qh
