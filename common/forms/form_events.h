#pragma once
// What a form's window reports to the runtime that owns it.
#include <exception>
#include <string_view>

#include "core/forms.h"

namespace qh::forms {

class FormEvents {
public:
    // A button was clicked; `tag` is the answer its design gives.
    virtual void OnButtonClick(Form form, std::wstring_view tag) = 0;
    // The user asked to close the window (close box, Alt+F4, the system menu).
    virtual void OnCloseBox(Form form) = 0;
    // The window is gone, whoever destroyed it.
    virtual void OnDestroyed(Form form) noexcept = 0;
    // A window procedure caught a failure; the runtime rethrows it once the message loop returns.
    virtual void OnFailure(std::exception_ptr failure) noexcept = 0;

protected:
    ~FormEvents() = default;
};

}  // namespace qh::forms
