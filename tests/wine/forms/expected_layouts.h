#pragma once
// The windows as the layout tables give them, in pixels at 96 dpi and in tab order: the oracle
// the built windows are compared with, kept apart from the designs the runtime builds from.
#include <string_view>
#include <vector>

#include "core/forms.h"

namespace qh::testing {

enum class Kind { TextField, Frame, PictureBox, Button };

struct ExpectedControl {
    std::wstring_view name;
    int index;  // 1 or 2 in a control array, else 0
    Kind kind;
    std::wstring_view containerName;  // empty: the window
    int containerIndex;
    int left, top, width, height;  // pixels at 96 dpi, relative to the container
    int fontHeight;                // LOGFONT height at 96 dpi; 0 where the table gives no font
    int fontWeight;
    bool centred;
    int textColour;  // system colour index
    bool readOnly;
    bool tabStop;
    bool sunkenBorder;
    std::wstring_view text;
};

struct ExpectedWindow {
    Form form;
    std::wstring_view name;
    int clientWidth, clientHeight;  // pixels at 96 dpi
    bool toolWindow;
    bool hasIcon;
    std::vector<ExpectedControl> tabOrder;
};

const std::vector<ExpectedWindow>& ExpectedWindows();
const ExpectedWindow& ExpectedWindowOf(Form form);

}  // namespace qh::testing
