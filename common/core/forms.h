#pragma once
// The forms runtime the sequences drive: windows by design name, shown, hidden, unloaded.
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qh {

enum class Form { Form1, ExitExcel, UnInstall, Copying, Deleting };

// The designer's name of a form.
constexpr std::wstring_view FormName(Form form) {
    switch (form) {
        case Form::Form1: return L"Form1";
        case Form::ExitExcel: return L"ExitExcel";
        case Form::UnInstall: return L"UnInstall";
        case Form::Copying: return L"Copying";
        case Form::Deleting: return L"Deleting";
    }
    throw std::invalid_argument("not a form");
}

enum class ShowMode { Modeless = 0, Modal = 1 };

// How a modal Show came back.
enum class ModalEnd {
    NotModal,  // a modeless Show returns at once
    NotShown,  // a run with nobody at the desk shows nothing
    Hidden,    // a button hid the dialog; its Tag holds the answer
    Unloaded,  // the close box, End or an Unload from code took it away; a read of Tag finds a fresh instance
};

class FormsRuntime {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~FormsRuntime() = default;

    // Shows a form, creating its instance first when there is none. A modal Show returns only
    // when the form is hidden or unloaded; the other windows take no input meanwhile.
    virtual ModalEnd Show(Form form, ShowMode mode, std::optional<Form> owner) = 0;
    // Destroys the form's instance; a later reference creates a fresh one from its design.
    virtual void Unload(Form form) = 0;
    // The form's Tag; referring to an unloaded form creates a fresh instance, whose Tag is empty.
    virtual std::wstring Tag(Form form) = 0;
    virtual void SetTag(Form form, std::wstring tag) = 0;

    // A clock that never jumps (not the time of day, which wraps at midnight).
    virtual Clock::time_point Now() = 0;
    // Handles window events as they come until `deadline`; may return earlier, after an event.
    // Throws when the program is told to quit meanwhile (the quit stays queued for the caller).
    virtual void PumpEventsUntil(Clock::time_point deadline) = 0;

    // Closes every window at once, without raising further events.
    virtual void End() = 0;

    // Whether someone at the desk can be asked anything, Windows' own prompts included.
    virtual bool AsksTheUser() { return true; }
};

}  // namespace qh
