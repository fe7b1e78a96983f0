#pragma once
// The stand-in's top-level window of class "XLMAIN", by which programs tell that Excel runs.
// Closing it ends the process's message loop.
#include <windows.h>

#include <chrono>

#include "win32/unique_handle.h"

namespace qh::testing {

class MainWindow {
public:
    // Visible and titled for the user's Excel; hidden for an automation instance.
    MainWindow(HINSTANCE instance, bool visible);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const noexcept { return window_.get(); }

    // Closes the window once the current message is done. The answer to a COM call made in that
    // message may still be on its way out of the process then.
    void PostClose() const noexcept;
    void CloseAfter(std::chrono::milliseconds delay) const noexcept;
    void CancelDelayedClose() const noexcept;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();

    win32::UniqueWindow window_;
};

}  // namespace qh::testing
