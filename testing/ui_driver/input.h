#pragma once
// Acting on another program's windows: clicks, keys, closing.
//
// Two ways to deliver input, both tested under Wine in a virtual desktop:
// - Posted messages (ClickButton, PostKey, PostText) reach the window whatever has the foreground,
//   but bypass the system's keyboard state: a posted Shift+Tab is a plain Tab, and nothing is
//   posted that a real key would not also produce.
// - Injected input (MouseClick, InjectKeys, InjectText) goes through SendInput, the way a user's
//   mouse and keyboard do, and so needs the target to be the foreground window: these functions
//   bring it there first and fail when they cannot. Run such tests one at a time on a desktop
//   (their Wine bench's lock, tests/CMakeLists.txt): two programs cannot both be in the foreground.
#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <string_view>

#include "ui_driver/wait.h"

namespace qh::testing {

// BM_CLICK, posted: the button acts as if clicked, without moving the mouse.
void ClickButton(HWND button);
// A real left click at the control's centre (SetCursorPos, then SendInput button down and up),
// after bringing its top-level window to the foreground.
void MouseClick(HWND control);

// What the close box of the title bar does: WM_SYSCOMMAND SC_CLOSE, posted.
void CloseByCloseBox(HWND window);

// The window with the keyboard focus in the given thread (GetGUIThreadInfo); nullptr if none.
HWND FocusedWindow(DWORD threadId);
// The focused window of the thread that owns window (any window of the program's UI thread).
HWND FocusedControl(HWND window);
// Waits until the focus in window's thread is on expected.
void WaitForFocus(HWND expected, std::chrono::milliseconds timeout = kDefaultTimeout);

// Makes window's top-level window the foreground window; throws when it does not become so.
void BringToForeground(HWND window, std::chrono::milliseconds timeout = kDefaultTimeout);

// Posts WM_KEYDOWN and WM_KEYUP for virtual key vk to the focused control of window's thread (to
// window itself when nothing has the focus). Tab, Enter and Escape reach a dialog's keyboard
// handling (IsDialogMessageW) this way too.
void PostKey(HWND window, WORD virtualKey);
// Posts one WM_CHAR per character to the focused control of window's thread.
void PostText(HWND window, std::wstring_view text);

// Presses the keys in order and releases them in reverse, through SendInput, with window's
// top-level window in the foreground: InjectKeys(w, {VK_SHIFT, VK_TAB}) is Shift+Tab.
void InjectKeys(HWND window, std::initializer_list<WORD> chord);
// Types text through SendInput as Unicode characters (KEYEVENTF_UNICODE).
void InjectText(HWND window, std::wstring_view text);

}  // namespace qh::testing
