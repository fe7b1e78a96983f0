#pragma once
// Twips and points to device pixels at one screen resolution. At 96 dpi a twip value that is a
// multiple of 15 gives exactly the designer's pixels; at other resolutions everything grows in
// proportion, so that windows stay sharp and whole (the programs declare system DPI awareness).
#include <windows.h>

#include "forms/designs.h"

namespace qh::forms {

inline constexpr int kDesignDpi = 96;

class LayoutScale {
public:
    explicit LayoutScale(int dpi) noexcept : dpi_(dpi) {}

    // The system's resolution, as one screen DC reports it.
    static LayoutScale OfSystem();

    int Dpi() const noexcept { return dpi_; }
    int Pixels(int twips) const noexcept { return ::MulDiv(twips, dpi_, kTwipsPerInch); }
    // Image pixels, which the designs give at 96 dpi.
    int ImagePixels(int pixelsAt96) const noexcept { return ::MulDiv(pixelsAt96, dpi_, kDesignDpi); }
    // LOGFONT height: negative for a character height, points * dpi / 72 rounded to the nearest
    // pixel (8.25 pt is 11 px, 14.25 pt 19 px and 15.75 pt 21 px at 96 dpi).
    int FontHeight(const FontDesign& font) const noexcept {
        return -::MulDiv(font.hundredthsOfPoint, dpi_, 72 * 100);
    }
    // Edges are scaled, not sizes, so that edges the design lines up stay lined up.
    RECT Pixels(const TwipRect& rect) const noexcept {
        return {Pixels(rect.left), Pixels(rect.top), Pixels(rect.left + rect.width), Pixels(rect.top + rect.height)};
    }

private:
    int dpi_;
};

}  // namespace qh::forms
