#include "win32/forms/layout_scale.h"

#include "win32/unique_handle.h"

namespace qh::win32::forms {

LayoutScale LayoutScale::OfSystem() {
    WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return LayoutScale(dpi > 0 ? dpi : kDesignDpi);
}

}  // namespace qh::win32::forms
