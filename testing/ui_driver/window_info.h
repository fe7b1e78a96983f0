#pragma once
// Reading what a window of another process shows: texts, geometry, state.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "ui_driver/wait.h"

namespace qh::testing {

// The caption as the system keeps it (GetWindowTextW, no message to the window). Right for
// top-level windows, buttons and labels; an EDIT control keeps its text itself: use ControlText.
std::wstring Caption(HWND window);

// WM_GETTEXT, sent with a bounded wait. The owner's thread must be pumping messages: a program
// busy outside its message loop cannot answer (under Wine it then reads as ""), and this waits
// at most timeout. std::nullopt when the window does not answer in time.
std::optional<std::wstring> TryControlText(HWND control, std::chrono::milliseconds timeout = kMessageTimeout);
// TryControlText, throwing when the window does not answer.
std::wstring ControlText(HWND control, std::chrono::milliseconds timeout = kMessageTimeout);
// Waits until the control's text is expected; throws with the last text seen after timeout.
void WaitForControlText(HWND control, const std::wstring& expected,
                        std::chrono::milliseconds timeout = kDefaultTimeout);

std::wstring ClassName(HWND window);
int ControlId(HWND control);

SIZE ClientSize(HWND window);
// The whole window, frame included, in screen coordinates.
RECT ScreenRect(HWND window);
// The control's whole rectangle in its parent's client coordinates (where the parent placed it).
RECT RectInParent(HWND control);

DWORD Style(HWND window);
DWORD ExStyle(HWND window);
bool IsVisible(HWND window);  // the window and all its ancestors are visible
bool IsEnabled(HWND window);
HWND Owner(HWND window);  // GW_OWNER: for a modal window, the window it blocks
DWORD ProcessOf(HWND window);
DWORD ThreadOf(HWND window);

// class "Button", text "Count", handle 0x1234: for failure messages.
std::wstring DescribeWindow(HWND window);

}  // namespace qh::testing
