#pragma once
// What the windows tell a screen reader about themselves: how each presents itself, and its
// message as the words a voice reads.
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/forms.h"

namespace qh {

enum class WindowRole {
    Plain,     // its title and the focused control are all there is to hear
    Question,  // a dialog: opening, its question is read with its title, before the focused button
    Progress,  // an alert: opening, its message is announced, as no button will be pressed in it
};

constexpr WindowRole RoleOf(Form form) {
    switch (form) {
        case Form::Form1: return WindowRole::Plain;
        case Form::ExitExcel:
        case Form::UnInstall: return WindowRole::Question;
        case Form::Copying:
        case Form::Deleting: return WindowRole::Progress;
    }
    throw std::invalid_argument("not a form");
}

// A field's text as one run of words, as a voice reads it: the line breaks the field's narrow
// width needs go, the words they kept apart are kept apart by one blank, and nothing trails.
std::wstring SpokenText(std::wstring_view text);

}  // namespace qh
