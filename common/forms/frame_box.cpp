#include "forms/frame_box.h"

#include <stdexcept>
#include <utility>

#include "win32/system_library.h"

namespace qh::forms {

void FrameForwarding::LoadComctl32() {
    win32::UniqueLibrary comctl32 = win32::LoadSystemLibrary(L"comctl32.dll");
    setWindowSubclass_ = win32::ProcedureOf<decltype(setWindowSubclass_)>(comctl32.get(), "SetWindowSubclass");
    removeWindowSubclass_ = win32::ProcedureOf<decltype(removeWindowSubclass_)>(comctl32.get(), "RemoveWindowSubclass");
    defSubclassProc_ = win32::ProcedureOf<decltype(defSubclassProc_)>(comctl32.get(), "DefSubclassProc");
    // Held only once every function is found: a failed load is tried again on the next frame.
    comctl32_ = std::move(comctl32);
}

void FrameForwarding::Attach(HWND groupBox) {
    if (!comctl32_) LoadComctl32();
    // It sets no error of its own to report.
    if (!setWindowSubclass_(groupBox, Forward, 0, reinterpret_cast<DWORD_PTR>(this))) {
        throw std::runtime_error("SetWindowSubclass refused a frame");
    }
}

LRESULT CALLBACK FrameForwarding::Forward(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                          DWORD_PTR self) {
    const auto& forwarding = *reinterpret_cast<const FrameForwarding*>(self);
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_COMMAND:
        case WM_NEXTDLGCTL:  // a multi-line edit asks its parent for the next field on Tab
        case DM_GETDEFID:    // ... and for the default button on Enter
            return ::SendMessageW(::GetParent(frame), message, wParam, lParam);
        case WM_CLOSE:  // a multi-line edit's Escape asks its parent to close; a frame never does
            return 0;
        case WM_NCDESTROY:
            // A subclass takes itself off before its window goes.
            forwarding.removeWindowSubclass_(frame, Forward, subclassId);
            break;
        default: break;
    }
    return forwarding.defSubclassProc_(frame, message, wParam, lParam);
}

}  // namespace qh::forms
