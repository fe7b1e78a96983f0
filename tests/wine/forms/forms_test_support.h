#pragma once
// Tools for the forms tests: a runtime with every form, a script of steps run while a modal Show
// holds the thread, keys, and reading a window's text, place, font and colours.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/forms.h"
#include "forms/forms_runtime.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {

inline constexpr std::array kAllForms{Form::Form1, Form::ExitExcel, Form::UnInstall, Form::Copying, Form::Deleting};

// A runtime that knows all five forms, its images taken from this test program's resources.
std::unique_ptr<forms::Win32Forms> MakeForms(int dpi = 96);

// Shows Form1 and, for a dialog, the dialog owned by it, both modeless.
void ShowForInspection(forms::Win32Forms& forms, Form form);

// The control at `position` in the form's design (its tab order), of its current window; null
// when the form has no window.
HWND ControlOf(const forms::Win32Forms& forms, Form form, std::size_t position);
// The text the form's design gives the control `name` (`index` in a control array).
std::wstring_view DesignedText(Form form, std::wstring_view name, int index = 0);

// Runs `steps` in order from a thread timer, one per tick, while the test is inside a modal Show.
// Should the Show still not have returned a while after the last step, End() makes it return and
// the test fails: no test waits for ever.
class WhileModal {
public:
    using Step = std::function<void()>;
    WhileModal(FormsRuntime& forms, std::vector<Step> steps);
    ~WhileModal();
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

    // True when every step ran.
    bool Done() const noexcept { return next_ == steps_.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    FormsRuntime& forms_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int ticksAfterLastStep_ = 0;
    UINT_PTR timer_ = 0;
};

// Posts a key press to the window that holds the focus, as the keyboard would.
void PressKey(WORD virtualKey);
// Posts a typed character to `window`.
void TypeCharacter(HWND window, wchar_t character);
// Handles window messages for `duration`.
void PumpFor(FormsRuntime& forms, std::chrono::milliseconds duration);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The window's outer rectangle relative to its parent's client area: left, top, width, height.
std::array<int, 4> PlaceInParent(HWND window);
LOGFONTW FontOf(HWND window);
// The face the system actually chose for the font (a missing face is quietly replaced).
std::wstring RealisedFace(HFONT font);

struct ControlColours {
    HBRUSH brush;
    COLORREF text;
    COLORREF background;
};
// Asks the control's parent for its colours, as the control does when it paints.
ControlColours ColoursOf(HWND control);

// A 32-bit top-down picture of `size` pixels that tests paint into and read back.
class PixelCanvas {
public:
    explicit PixelCanvas(SIZE size);
    HDC Dc() const noexcept { return dc_.get(); }
    // The colour at (x, y) as a COLORREF.
    COLORREF At(int x, int y) const;

private:
    SIZE size_;
    void* bits_ = nullptr;
    win32::UniqueMemoryDc dc_;
    win32::UniqueBitmap bitmap_;
    win32::SelectObjectGuard selected_;
};

}  // namespace qh::testing
