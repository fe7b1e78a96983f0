// A small window for testing the UI driver on: known controls at known places, a visible effect of
// each button, the click count as exit code. An optional argument delays showing the window by
// that many milliseconds. A failure exits with 255 and its text on the standard error.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>

#include "main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    try {
        qh::sample::MainWindow::Register(instance);
        qh::sample::MainWindow mainWindow;
        mainWindow.Create(instance);
        mainWindow.ShowAfter(static_cast<unsigned>(std::wcstoul(commandLine, nullptr, 10)));

        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            // Tab and the other dialog keys move between the controls of whichever window is active.
            if (HWND active = ::GetActiveWindow(); active && ::IsDialogMessageW(active, &message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        qh::sample::RethrowPendingFailure();
        return static_cast<int>(message.wParam);
    } catch (const std::exception& failure) {
        // No message box: a test would wait for it until its timeout.
        std::fputs(failure.what(), stderr);
        return 255;
    }
}
