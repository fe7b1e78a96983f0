#pragma once
// One loaded instance of a form: its window and controls, built from the form's design.
#include <windows.h>

#include <vector>

#include "forms/designs.h"
#include "forms/direct_annotation.h"
#include "forms/form_events.h"
#include "forms/layout_scale.h"
#include "forms/logo_picture.h"
#include "forms/picture_box.h"
#include "win32/unique_handle.h"

namespace qh::forms {

class FrameForwarding;

inline constexpr wchar_t kFormClass[] = L"QhForm";

// Control ids start above IDOK (1) and IDCANCEL (2), so that neither Enter nor Escape, which a
// dialog turns into those two ids, ever reaches a button. From there they follow the design's tab
// order.
inline constexpr int kFirstControlId = 100;

class FormWindow {
public:
    static void RegisterClasses(HINSTANCE instance);

    // Creates the window, hidden and centred on the screen, with all its controls.
    FormWindow(HINSTANCE instance, const WindowDesign& design, LayoutScale scale, const LogoPicture& logo,
               FrameForwarding& frames, FormEvents& events, HWND owner);
    // Destroys the window, if it is still there, without reporting anything.
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND Handle() const noexcept { return window_.get(); }
    bool IsAlive() const noexcept { return static_cast<bool>(window_); }

    void SetOwner(HWND owner);
    // Shows and activates the window; the first time, the focus goes to the first control in
    // tab order that can take it.
    void Show();
    void Hide();
    // Destroys the window now; the events hear of it through OnDestroyed.
    void Destroy();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateFrameWindow(HINSTANCE instance, HWND owner);
    void CreateControls(HINSTANCE instance);
    HWND CreateControl(HINSTANCE instance, const ControlDesign& control, int id);
    HWND ContainerOf(const ControlDesign& control) const;
    HFONT FontFor(const FontDesign& font);
    void LoadIcons(HINSTANCE instance);

    const ControlDesign* DesignOfControl(HWND control) const;
    void FocusFirstControl();
    LRESULT OnControlColour(HDC dc, HWND control);
    void OnCommand(WORD notification, HWND control);
    LRESULT FocusedButtonAsDefault() const;
    void MoveFocus(WPARAM wParam, LPARAM lParam);
    void OnActivate(bool active);
    bool OnSetCursor(HWND cursorWindow, WORD hitTest);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    void OnSystemColoursChanged(WPARAM wParam, LPARAM lParam);
    // What a screen reader hears as the window appears and goes.
    void AnnounceShown();
    void AnnounceGone() noexcept;
    void Annotate() noexcept;

    const WindowDesign& design_;
    LayoutScale scale_;
    FrameForwarding& frames_;
    FormEvents& events_;
    PictureBoxContent pictureContent_;
    struct Font {
        FontDesign design;
        win32::UniqueFont font;
    };
    std::vector<Font> fonts_;
    win32::UniqueIcon bigIcon_;
    win32::UniqueIcon smallIcon_;
    std::vector<HWND> controls_;   // children of the window; destroyed with it
    HWND messageField_ = nullptr;  // the question or progress message, if the window has one
    HWND focusWhileInactive_ = nullptr;
    bool shownBefore_ = false;
    bool annotated_ = false;
    Annotations annotations_;
    // Last, so that it goes first: the window's controls use the fonts and the picture content.
    win32::UniqueWindow window_;
};

}  // namespace qh::forms
