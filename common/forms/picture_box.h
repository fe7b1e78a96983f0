#pragma once
// The picture box control: the logo at its own (resolution-scaled) size at the top-left corner,
// the rest in the dialog face colour.
#include <windows.h>

#include "forms/form_events.h"
#include "forms/logo_picture.h"

namespace qh::forms {

inline constexpr wchar_t kPictureBoxClass[] = L"QhPictureBox";

// What a picture box shows; passed as the creation parameter and kept by the window's owner for
// as long as the box lives.
struct PictureBoxContent {
    const LogoPicture* logo;
    SIZE drawSize;
    FormEvents* events;
};

void RegisterPictureBoxClass(HINSTANCE instance);

}  // namespace qh::forms
