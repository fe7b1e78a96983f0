#pragma once
// What a window of ours tells assistive technology about itself. The system's accessible object
// for a window of a class of its own reports a plain client area named by its caption: a screen
// reader then says the title and the focused control, and never the question. A window answers
// WM_GETOBJECT with the system's object wrapped in one that gives the role, name and description
// it states, and hands everything else on unchanged.
//
// oleacc, which makes the system's objects, is no Known DLL: it is loaded by name from the system
// folder on the first request, and never imported. A run that nobody asks never loads it.
#include <windows.h>

#include <string>

namespace qh::forms {

struct AccessibleFacts {
    long role;  // ROLE_SYSTEM_DIALOG, ROLE_SYSTEM_ALERT, ROLE_SYSTEM_GRAPHIC...
    std::wstring name;
    std::wstring description;  // empty: the system's object says what it would
};

// The answer to WM_GETOBJECT (its wParam and lParam) when it asks for `window`'s client object:
// that object with `facts`. Zero for any other object, and when it cannot be made: the window then
// answers as if it had nothing to add (DefWindowProc), for a screen reader's question is no reason
// to stop a setup.
LRESULT AnswerClientObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleFacts& facts) noexcept;

// Makes sure oleacc is loaded from the system folder; false when it cannot be.
bool LoadAccessibility() noexcept;

}  // namespace qh::forms
