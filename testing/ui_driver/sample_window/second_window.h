#pragma once
// A second window of the same caption but another design (size, one label), owned by the main
// window, as the programs under test open them.
#include "window_base.h"

namespace qh::sample {

class SecondWindow : public WindowBase<SecondWindow> {
public:
    static void Register(HINSTANCE instance);
    // Shows it, creating it the first time (and again after it was closed).
    void Show(HINSTANCE instance, HWND owner);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace qh::sample
