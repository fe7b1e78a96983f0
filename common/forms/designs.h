#pragma once
// The five windows as data: frame, caption, client size and every control, in twips, as the
// forms designer stores them. One builder (form_window.cpp) turns any of them into a window.
#include <span>
#include <string_view>
#include <vector>

#include "core/forms.h"
#include "core/product.h"  // every window's caption

namespace qh::forms {

inline constexpr int kTwipsPerInch = 1440;

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct TwipSize {
    int width;
    int height;
};

enum class FrameKind {
    Sizable,     // resizable border, caption with icon and min/max/close boxes, a taskbar button
    ToolWindow,  // fixed size, small caption with a close box only, no taskbar button
};

enum class ControlKind {
    TextField,   // borderless multi-line text used in place of a label
    Frame,       // caption-less group box that holds one text field
    PictureBox,  // the product logo at its own size at the top-left
    Button,      // standard push button, never a default or cancel button
};

enum class Alignment { Left, Centre };

// Windows system colour indexes (GetSysColor), kept as the designer names them.
enum class SystemColour : int {
    Menu = 4,         // COLOR_MENU: text field background
    MenuText = 7,     // COLOR_MENUTEXT
    WindowText = 8,   // COLOR_WINDOWTEXT
    ButtonFace = 15,  // COLOR_BTNFACE: window background
};

struct FontDesign {
    std::wstring_view face;
    int hundredthsOfPoint;  // 825 is the designer's 8.25 pt
    int weight;             // 400 regular, 700 bold
};

inline constexpr FontDesign kTahoma8Regular{L"Tahoma", 825, 400};
inline constexpr FontDesign kTahoma15Bold{L"Tahoma", 1575, 700};
inline constexpr FontDesign kTahoma14Regular{L"Tahoma", 1425, 400};

struct ControlDesign {
    std::wstring_view name{};  // the designer's name: "CommandButton1", "Frame1", "Logo"...
    int index = 0;             // position in a control array (Frame1, Text1): 1 or 2; 0 for none
    ControlKind kind = ControlKind::TextField;
    // The frame that holds this control (name and index), or an empty name for the window itself.
    std::wstring_view containerName{};
    int containerIndex = 0;
    TwipRect rect{};  // relative to the container's client area; outer size, border included
    FontDesign font = kTahoma8Regular;
    Alignment alignment = Alignment::Left;
    SystemColour textColour = SystemColour::WindowText;
    std::wstring_view text{};  // caption or contents; \r\n breaks lines
    int tabIndex = 0;
    bool tabStop = true;
    bool readOnly = true;          // text fields: selectable but not changeable
    bool sunkenBorder = false;     // picture boxes: the 2-pixel sunken 3D edge
    std::wstring_view clickTag{};  // buttons: the answer a click stores in the Tag before it hides the window
    bool isMessage = false;        // the dialog's question or progress message, which a screen reader reads for it
};

// The cross-hair pointer that Form1's one further design setting (value 2) selects.
enum class MousePointer { Default = 0, Crosshair = 2 };

struct WindowDesign {
    Form form;
    FrameKind frame;
    std::wstring_view caption;
    TwipSize client;
    int iconId;  // resource id of the window icon, 0 for none
    MousePointer mousePointer;
    std::vector<ControlDesign> controls;  // in tab order
};

// The design of a form. The reference stays valid for the life of the program.
const WindowDesign& DesignOf(Form form);

}  // namespace qh::forms
