#pragma once
// Where the sample window puts things; the driver's tests read the same numbers back.
#include <windows.h>

namespace qh::sample {

inline constexpr wchar_t kCaption[] = L"Quenzo Halvorn";
inline constexpr SIZE kMainClientSize{320, 200};
inline constexpr SIZE kSecondClientSize{240, 100};
inline constexpr wchar_t kSecondWindowText[] = L"Second window\r\n";

enum ControlId : int {
    kClicksLabel = 100,
    kCountButton = 101,
    kSecondButton = 102,
    kEditableField = 103,
    kReadOnlyField = 104,
    kSecondLabel = 200,
};

// x, y, width, height in the parent's client area.
struct Placement {
    int x, y, width, height;
};
inline constexpr Placement kClicksLabelPlace{40, 12, 200, 20};
inline constexpr Placement kCountButtonPlace{8, 40, 100, 26};
inline constexpr Placement kSecondButtonPlace{116, 40, 120, 26};
inline constexpr Placement kEditablePlace{8, 80, 200, 22};
inline constexpr Placement kReadOnlyPlace{8, 110, 200, 22};
inline constexpr Placement kSecondLabelPlace{10, 10, 200, 40};

// A solid square painted in the main window's client area, to recognise it in screenshots.
inline constexpr RECT kMarker{8, 8, 32, 32};
inline constexpr COLORREF kMarkerColour = RGB(255, 0, 0);

inline constexpr wchar_t kReadOnlyText[] = L"Fixed text";

}  // namespace qh::sample
