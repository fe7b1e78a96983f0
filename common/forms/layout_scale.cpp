#include "forms/layout_scale.h"

#include "win32/unique_handle.h"

namespace qh::forms {

LayoutScale LayoutScale::OfSystem() {
    win32::WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return LayoutScale(dpi > 0 ? dpi : kDesignDpi);
}

}  // namespace qh::forms
