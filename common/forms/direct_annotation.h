#pragma once
// UI Automation reads some things about a window that MSAA has no word for: that it is a dialog
// (Narrator then reads its question with its title), and that a field is a live region whose
// text is announced when it appears. Direct Annotation sets them on the window. Where the
// platform does not offer it (Wine answers E_NOTIMPL), the windows go on without.
#include <windows.h>

#include <vector>

#include "win32/com_ptr.h"

struct IAccPropServices;

namespace qh::forms {

class Annotations {
public:
    Annotations() = default;
    // Takes back what it set.
    ~Annotations();
    Annotations(const Annotations&) = delete;
    Annotations& operator=(const Annotations&) = delete;

    void MarkDialog(HWND window) noexcept;
    // Its text, when it appears, is announced after whatever the screen reader is saying.
    void MarkPoliteLiveRegion(HWND field) noexcept;

private:
    void Mark(HWND window, const GUID& property, const VARIANT& value) noexcept;

    win32::ComPtr<IAccPropServices> services_;
    bool unavailable_ = false;
    struct Marked {
        HWND window;
        GUID property;
    };
    std::vector<Marked> marked_;
};

}  // namespace qh::forms
