#pragma once
// Frames are caption-less group boxes that hold one text field. A group box passes nothing on to
// its parent, so its child would ask the group box, not the window, for its colours and its
// neighbours in the Tab order: this makes the group box pass those requests up.
#include <windows.h>
#include <commctrl.h>

#include "win32/unique_handle.h"

namespace qh::forms {

// The window subclassing of comctl32, which is no Known DLL: it is loaded by name from the system
// folder on the first frame, after the program has restricted the library search, and never
// imported. The manifests' Common-Controls dependency selects version 6, which the system has
// loaded by then for the themed controls: the load only counts a reference.
class FrameForwarding {
public:
    // From now until it is destroyed, the group box passes those requests to its parent. Every
    // frame must go before this object does.
    void Attach(HWND groupBox);

private:
    static LRESULT CALLBACK Forward(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                    DWORD_PTR self);
    void LoadComctl32();

    win32::UniqueLibrary comctl32_;
    decltype(&::SetWindowSubclass) setWindowSubclass_ = nullptr;
    decltype(&::RemoveWindowSubclass) removeWindowSubclass_ = nullptr;
    decltype(&::DefSubclassProc) defSubclassProc_ = nullptr;
};

}  // namespace qh::forms
