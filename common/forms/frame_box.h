#pragma once
// Frames are caption-less group boxes that hold one text field. A group box passes nothing on to
// its parent, so its child would ask the group box, not the window, for its colours and its
// neighbours in the Tab order: this makes the group box pass those requests up.
#include <windows.h>

namespace qh::forms {

void ForwardChildRequestsToParent(HWND groupBox);

}  // namespace qh::forms
