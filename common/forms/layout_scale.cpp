#include "forms/layout_scale.h"

#include <string_view>

#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::forms {
namespace {

// The dialog font's measures at one resolution, in pixels.
struct FontMeasures {
    int lineHeight;     // a text field's line
    int alphabetWidth;  // A-Z and a-z, whose average width dialog units take
};

FontMeasures MeasureDialogFont(HDC screen, int characterHeight) {
    const FontDesign& font = kTahoma8Regular;
    const std::wstring face(font.face);
    const win32::UniqueFont created(::CreateFontW(characterHeight, 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    win32::ThrowLastErrorIfNull(created.get(), L"CreateFontW", face);
    const win32::SelectObjectGuard selected(screen, created.get());
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    constexpr std::wstring_view kAlphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (!::GetTextMetricsW(screen, &metrics) ||
        !::GetTextExtentPoint32W(screen, kAlphabet.data(), static_cast<int>(kAlphabet.size()), &alphabet)) {
        win32::ThrowLastError(L"GetTextMetricsW", face);
    }
    return {metrics.tmHeight, alphabet.cx};
}

}  // namespace

LayoutScale::LayoutScale(int dpi) : dpi_(dpi), across_{dpi, kTwipsPerInch}, down_{dpi, kTwipsPerInch} {
    if (dpi == kDesignDpi) return;  // the design's own pixels
    win32::WindowDc screen(nullptr);
    if (!screen.get()) win32::ThrowLastError(L"GetDC", L"screen");
    const FontMeasures design = MeasureDialogFont(screen.get(), LayoutScale(kDesignDpi).FontHeight(kTahoma8Regular));
    const FontMeasures here = MeasureDialogFont(screen.get(), FontHeight(kTahoma8Regular));
    // Grown as the font grew, where that is more than the resolution: pixels per twip of
    // kDesignDpi * here / design over kTwipsPerInch.
    const auto grownAsTheFont = [dpi](Ratio& ratio, int measuredHere, int measuredAtDesign) {
        if (1LL * measuredHere * kDesignDpi * ratio.twips > 1LL * measuredAtDesign * kTwipsPerInch * ratio.pixels) {
            ratio = {measuredHere * kDesignDpi, measuredAtDesign * kTwipsPerInch};
        }
    };
    grownAsTheFont(down_, here.lineHeight, design.lineHeight);
    // A line of words widens by every glyph's rounding and by the field's margins, which follow
    // the font, more than the average character width tells: across, the line height counts too.
    grownAsTheFont(across_, here.alphabetWidth, design.alphabetWidth);
    grownAsTheFont(across_, here.lineHeight, design.lineHeight);
}

LayoutScale LayoutScale::OfSystem() {
    win32::WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return LayoutScale(dpi > 0 ? dpi : kDesignDpi);
}

}  // namespace qh::forms
