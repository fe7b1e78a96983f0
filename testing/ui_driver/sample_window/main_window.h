#pragma once
// The sample's main window: a label counting clicks of the Count button, a button that opens the
// second window, an editable field and a read-only one. Its exit code is the number of clicks.
#include "layout.h"
#include "second_window.h"
#include "window_base.h"

namespace qh::sample {

class MainWindow : public WindowBase<MainWindow> {
public:
    static void Register(HINSTANCE instance);
    void Create(HINSTANCE instance);
    // Shows the window now, or that many milliseconds later (so a test can see a driver wait).
    void ShowAfter(unsigned milliseconds);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnCreate();
    void OnCommand(int id);
    void PaintContent(HDC dc);
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, ControlId id, Placement place);

    HINSTANCE instance_ = nullptr;
    int clicks_ = 0;
    HWND focusWhenDeactivated_ = nullptr;
    SecondWindow second_;
};

}  // namespace qh::sample
