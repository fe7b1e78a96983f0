#pragma once
// The picture box control: the logo at its own (resolution-scaled) size at the top-left corner,
// the rest in the dialog face colour.
#include <windows.h>

#include "win32/forms/form_events.h"
#include "win32/forms/logo_picture.h"

namespace qh::win32::forms {

inline constexpr wchar_t kPictureBoxClass[] = L"QhPictureBox";

// What a picture box shows; passed as the creation parameter and kept by the window's owner for
// as long as the box lives.
struct PictureBoxContent {
    const LogoPicture* logo;
    SIZE drawSize;
    FormEvents* events;
};

void RegisterPictureBoxClass(HINSTANCE instance);

}  // namespace qh::win32::forms
