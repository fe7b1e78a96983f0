#pragma once
// The product logo: a JPEG stored as RCDATA in the program, decoded once by the system's picture
// object and drawn at the top-left of every picture box. A logo that cannot be decoded or drawn
// leaves its place empty: it is no reason to stop a setup.
#include <windows.h>
#include <ocidl.h>

#include "win32/com_ptr.h"

namespace qh::forms {

class LogoPicture {
public:
    // Decodes the resource `resourceId` (RT_RCDATA) of `module`.
    LogoPicture(HINSTANCE module, int resourceId) noexcept;

    // The image's own size in pixels; none when it could not be decoded.
    SIZE PixelSize() const noexcept { return pixelSize_; }

    // Draws the image with its top-left corner at (0, 0), `size` pixels large; nothing when that fails.
    void Draw(HDC dc, SIZE size) const noexcept;

private:
    void Decode(HINSTANCE module, int resourceId);

    win32::ComPtr<IPicture> picture_;
    SIZE pixelSize_{};
    SIZE himetricSize_{};
};

}  // namespace qh::forms
