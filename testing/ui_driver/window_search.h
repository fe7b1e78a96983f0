#pragma once
// Finding the windows of a program. Every window of the programs under test has the same caption,
// so a window design is told apart by its client size or by a child control's text.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui_driver/wait.h"

namespace qh::testing {

// What a top-level window must have; unset fields match anything.
struct WindowFilter {
    std::optional<DWORD> processId;
    std::optional<std::wstring> caption;
    std::optional<std::wstring> className;
    bool visibleOnly = true;
    std::optional<SIZE> clientSize;
    // Some descendant control's text is exactly this (for example "Please close Excel!\r\n").
    std::optional<std::wstring> childText;
    // Anything else; predicateDescription names it in failure messages.
    std::function<bool(HWND)> predicate;
    std::wstring predicateDescription;

    bool Matches(HWND window) const;
    // "visible top-level window of process 42 with caption "Quenzo Halvorn"", for failure messages.
    std::wstring Describe() const;
};

// The matching top-level windows, in z-order (topmost first).
std::vector<HWND> FindTopLevelWindows(const WindowFilter& filter);

// The first matching window; throws when none has appeared within timeout.
HWND WaitForWindow(const WindowFilter& filter, std::chrono::milliseconds timeout = kDefaultTimeout);
HWND WaitForWindow(DWORD processId, const std::wstring& caption, std::chrono::milliseconds timeout = kDefaultTimeout);
HWND WaitForWindow(DWORD processId, const std::wstring& caption, std::function<bool(HWND)> predicate,
                   std::wstring predicateDescription, std::chrono::milliseconds timeout = kDefaultTimeout);
// A visible top-level window of the process with a descendant control whose text is exactly text.
HWND WaitForWindowWithChildText(DWORD processId, const std::wstring& text,
                                std::chrono::milliseconds timeout = kDefaultTimeout);

// Waits until the window is destroyed or hidden.
void WaitForWindowGone(HWND window, std::chrono::milliseconds timeout = kDefaultTimeout);
// Waits until no top-level window matches (for example until a closing server's hidden window is gone).
void WaitForNoWindow(const WindowFilter& filter, std::chrono::milliseconds timeout = kDefaultTimeout);

// Direct children in z-order, which is creation order unless the program reorders them.
std::vector<HWND> ChildWindows(HWND parent);
// All descendants, depth first, each parent before its children.
std::vector<HWND> DescendantWindows(HWND parent);
// The first descendant whose text (ControlText, else Caption) is exactly text; nullptr if none.
HWND FindChildByText(HWND parent, const std::wstring& text);
// The first descendant with this control identifier; nullptr if none.
HWND FindChildById(HWND parent, int controlId);

}  // namespace qh::testing
