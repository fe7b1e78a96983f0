#pragma once
// Twips and points to device pixels at one screen resolution. At 96 dpi a twip value that is a
// multiple of 15 gives exactly the designer's pixels. At other resolutions the layout grows as
// the dialog font does, the way dialog units work: a font's lines and characters grow in whole
// pixels, often by more than the resolution, and a layout grown by the resolution alone would
// lose the last line of a field that holds its lines with a pixel to spare at 96 dpi. Down the
// window the layout follows the font's line height, across it its average character width, and
// never less than the resolution (the logo grows with that). The programs declare system DPI
// awareness: on a monitor of another scale Windows stretches the windows as a whole.
#include <windows.h>

#include "forms/designs.h"

namespace qh::forms {

inline constexpr int kDesignDpi = 96;

class LayoutScale {
public:
    // At `dpi`, measuring the dialog font there and at 96 dpi.
    explicit LayoutScale(int dpi);

    // The system's resolution, as one screen DC reports it.
    static LayoutScale OfSystem();

    int PixelsAcross(int twips) const noexcept { return across_.Pixels(twips); }
    int PixelsDown(int twips) const noexcept { return down_.Pixels(twips); }
    // Image pixels, which the designs give at 96 dpi.
    int ImagePixels(int pixelsAt96) const noexcept { return ::MulDiv(pixelsAt96, dpi_, kDesignDpi); }
    // LOGFONT height: negative for a character height, points * dpi / 72 rounded to the nearest
    // pixel (8.25 pt is 11 px, 14.25 pt 19 px and 15.75 pt 21 px at 96 dpi).
    int FontHeight(const FontDesign& font) const noexcept { return -::MulDiv(font.hundredthsOfPoint, dpi_, 72 * 100); }
    // Edges are scaled, not sizes, so that edges the design lines up stay lined up.
    RECT Pixels(const TwipRect& rect) const noexcept {
        return {PixelsAcross(rect.left), PixelsDown(rect.top), PixelsAcross(rect.left + rect.width),
                PixelsDown(rect.top + rect.height)};
    }

private:
    // `pixels` device pixels for every `twips` twips.
    struct Ratio {
        int pixels;
        int twips;
        int Pixels(int length) const noexcept { return ::MulDiv(length, pixels, twips); }
    };

    int dpi_;
    Ratio across_;
    Ratio down_;
};

}  // namespace qh::forms
