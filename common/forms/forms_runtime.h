#pragma once
// The forms runtime on raw Win32: the five designs as windows of one thread.
//
// A program makes one for the forms it uses. Each form then has one implicit instance, created on
// its first reference (Show, Tag, SetTag) and again after an Unload. A button stores its answer
// in the Tag and hides its window; the close box unloads it.
// A modal Show runs its own message loop with every other window of the thread disabled.
// The program's resources must hold the logo (IDR_LOGO_JPEG) and the icons of its forms.
#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/forms.h"
#include "forms/form_events.h"
#include "forms/form_window.h"
#include "forms/frame_box.h"
#include "forms/layout_scale.h"
#include "forms/logo_picture.h"

namespace qh::forms {

// Its windows report to it as FormEvents.
class Win32Forms final : public FormsRuntime, public FormEvents {
public:
    Win32Forms(HINSTANCE instance, std::span<const Form> formsOfThisProgram, LayoutScale scale);
    // Closes whatever windows are left, as End does.
    ~Win32Forms() override;
    Win32Forms(const Win32Forms&) = delete;
    Win32Forms& operator=(const Win32Forms&) = delete;

    ModalEnd Show(Form form, ShowMode mode, std::optional<Form> owner) override;
    void Unload(Form form) override;
    std::wstring Tag(Form form) override;
    void SetTag(Form form, std::wstring tag) override;
    Clock::time_point Now() override;
    void PumpEventsUntil(Clock::time_point deadline) override;
    void End() override;

    // The window of the form's current instance, or null when it is not loaded.
    HWND WindowOf(Form form) const noexcept;
    // The first failure a window procedure raised, whether or not a pump has passed it on: one
    // raised where no pump followed must still end the run with a report.
    std::exception_ptr FirstWindowFailure() const noexcept { return firstFailure_; }

private:
    struct Instance {
        std::unique_ptr<FormWindow> window;
        std::wstring tag;
    };
    // One modal Show in progress: the windows it disabled and, once it is over, how it ended.
    struct ModalFrame {
        Form form;
        std::vector<HWND> disabledWindows;
        std::optional<ModalEnd> end;
    };

    void OnButtonClick(Form form, std::wstring_view tag) override;
    void OnCloseBox(Form form) override;
    void OnDestroyed(Form form) noexcept override;
    void OnFailure(std::exception_ptr failure) noexcept override;

    // The form's instance, loaded from its design first when it is not.
    Instance& EnsureLoaded(Form form);
    // A button's answer: the window goes out of sight, its instance and Tag stay.
    void Hide(Form form);
    // The form's instance, or null when it has none.
    Instance* Find(Form form) const noexcept;
    bool IsLoaded(Form form) const noexcept;
    ModalEnd RunModal(Form form, FormWindow& window);
    // Ends every modal Show of the form, giving the input back to the windows it disabled.
    // Done before the form's window is hidden or destroyed, or the activation would go to
    // another program instead of the owner.
    void EndModal(Form form, ModalEnd how) noexcept;
    void Dispatch(MSG& message);
    bool DispatchPending();
    // Passes on, once, a failure that a window procedure raised since the last time.
    void RethrowFailure();
    void DestroyAll() noexcept;

    HINSTANCE instance_;
    std::vector<Form> forms_;
    LayoutScale scale_;
    LogoPicture logo_;
    // Before the windows, so that it outlives their frames.
    FrameForwarding frameForwarding_;
    std::map<Form, std::unique_ptr<Instance>> instances_;
    std::vector<ModalFrame*> modalFrames_;
    std::exception_ptr pendingFailure_;
    std::exception_ptr firstFailure_;
};

}  // namespace qh::forms
