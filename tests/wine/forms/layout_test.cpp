// Every design as built: sizes, places, kinds, styles, fonts, colours and texts, at 96 dpi
// (exactly the tabled pixels) and at 144 dpi; at the other common scales, that every line a
// field shows at 96 dpi still shows, in the same arrangement.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "expected_layouts.h"
#include "forms_test_support.h"

namespace qh::testing {
namespace {

struct LayoutCase {
    Form form;
    int dpi;
};

std::string CaseName(const ::testing::TestParamInfo<LayoutCase>& info) {
    const auto name = ExpectedWindowOf(info.param.form).name;
    return std::string(name.begin(), name.end()) + "At" + std::to_string(info.param.dpi) + "Dpi";
}

int Scaled(int pixelsAt96, int dpi) { return ::MulDiv(pixelsAt96, dpi, 96); }

// Character heights of the three fonts: 8.25, 15.75 and 14.25 pt.
int FontHeightAt(int heightAt96, int dpi) {
    if (dpi == 96) return heightAt96;
    switch (heightAt96) {
        case -11: return -17;  // 16.5 px at 144 dpi, rounded
        case -21: return -32;  // 31.5 px
        case -19: return -29;  // 28.5 px
        default: return 0;
    }
}

std::wstring ControlLabel(const ExpectedControl& control) {
    return std::wstring(control.name) + (control.index ? L"(" + std::to_wstring(control.index) + L")" : L"");
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {
protected:
    void SetUp() override {
        forms_ = MakeForms(GetParam().dpi);
        ShowForInspection(*forms_, GetParam().form);
        window_ = forms_->WindowOf(GetParam().form);
        ASSERT_NE(window_, nullptr);
    }

    HWND ControlAt(std::size_t position) { return ControlOf(*forms_, GetParam().form, position); }

    // The window of the control the table names as the container of `control`.
    HWND ContainerOf(const ExpectedControl& control) {
        if (control.containerName.empty()) return window_;
        const auto& order = ExpectedWindowOf(GetParam().form).tabOrder;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (order[i].name == control.containerName && order[i].index == control.containerIndex) return ControlAt(i);
        }
        ADD_FAILURE() << "no container";
        return nullptr;
    }

    std::unique_ptr<forms::Win32Forms> forms_;
    HWND window_ = nullptr;
};

TEST_P(LayoutTest, ClientAreaHasTheDesignedSize) {
    const auto& expected = ExpectedWindowOf(GetParam().form);
    RECT client{};
    ::GetClientRect(window_, &client);
    if (GetParam().dpi == 96) {
        EXPECT_EQ(client.right, Scaled(expected.clientWidth, GetParam().dpi));
        EXPECT_EQ(client.bottom, Scaled(expected.clientHeight, GetParam().dpi));
    } else {
        // Grown with the font, and never less than with the resolution.
        EXPECT_GE(client.right, Scaled(expected.clientWidth, GetParam().dpi));
        EXPECT_GE(client.bottom, Scaled(expected.clientHeight, GetParam().dpi));
    }
}

TEST_P(LayoutTest, ControlsSitInTheirContainersInTabOrder) {
    const auto& expected = ExpectedWindowOf(GetParam().form);
    const int dpi = GetParam().dpi;
    std::size_t count = 0;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) ++count;
    const std::size_t inFrames = static_cast<std::size_t>(
        std::count_if(expected.tabOrder.begin(), expected.tabOrder.end(),
                      [](const ExpectedControl& control) { return !control.containerName.empty(); }));
    EXPECT_EQ(count + inFrames, expected.tabOrder.size());

    for (std::size_t position = 0; position < expected.tabOrder.size(); ++position) {
        const ExpectedControl& control = expected.tabOrder[position];
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        HWND handle = ControlAt(position);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(::GetParent(handle), ContainerOf(control));
        // Edges scale, so that edges the design lines up stay lined up.
        const std::array<int, 4> place{Scaled(control.left, dpi), Scaled(control.top, dpi),
                                       Scaled(control.left + control.width, dpi) - Scaled(control.left, dpi),
                                       Scaled(control.top + control.height, dpi) - Scaled(control.top, dpi)};
        if (dpi == 96) {
            EXPECT_EQ(PlaceInParent(handle), place);
        }
        // The dialog manager turns Enter and Escape into these two ids.
        EXPECT_NE(::GetDlgCtrlID(handle), IDOK);
        EXPECT_NE(::GetDlgCtrlID(handle), IDCANCEL);
    }
}

TEST_P(LayoutTest, ControlsHaveTheirKindAndStyle) {
    for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(GetParam().form).tabOrder) {
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        HWND handle = ControlAt(position++);
        const LONG style = ::GetWindowLongW(handle, GWL_STYLE);
        const LONG extended = ::GetWindowLongW(handle, GWL_EXSTYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, control.tabStop);
        EXPECT_EQ(style & (WS_BORDER | WS_HSCROLL | WS_VSCROLL), 0);
        EXPECT_EQ((extended & WS_EX_CLIENTEDGE) != 0, control.sunkenBorder);
        switch (control.kind) {
            case Kind::TextField:
                EXPECT_EQ(_wcsicmp(ClassName(handle).c_str(), L"Edit"), 0);
                EXPECT_NE(style & ES_MULTILINE, 0);
                EXPECT_EQ((style & ES_READONLY) != 0, control.readOnly);
                EXPECT_EQ(style & (ES_CENTER | ES_RIGHT), control.centred ? ES_CENTER : ES_LEFT);
                // Without horizontal scrolling a field wraps at word boundaries; without vertical
                // scrolling it clips. Only the editable field scrolls, to take what is typed.
                EXPECT_EQ(style & ES_AUTOHSCROLL, 0);
                EXPECT_EQ((style & ES_AUTOVSCROLL) != 0, !control.readOnly);
                EXPECT_EQ(extended & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
                break;
            case Kind::Frame:
                EXPECT_EQ(_wcsicmp(ClassName(handle).c_str(), L"Button"), 0);
                EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
                break;
            case Kind::Button:
                EXPECT_EQ(_wcsicmp(ClassName(handle).c_str(), L"Button"), 0);
                EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
                break;
            case Kind::PictureBox: EXPECT_EQ(ClassName(handle), L"QhPictureBox"); break;
        }
    }
}

TEST_P(LayoutTest, TextsAreExactlyAsDesigned) {
    EXPECT_EQ(WindowText(window_), L"Quenzo Halvorn");
    for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(GetParam().form).tabOrder) {
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        EXPECT_EQ(WindowText(ControlAt(position++)), control.text);
    }
}

TEST_P(LayoutTest, FontsAreTahomaAsTabled) {
    for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(GetParam().form).tabOrder) {
        HWND handle = ControlAt(position++);
        if (control.fontHeight == 0) continue;
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        const LOGFONTW font = FontOf(handle);
        EXPECT_STREQ(font.lfFaceName, L"Tahoma");
        EXPECT_EQ(font.lfHeight, FontHeightAt(control.fontHeight, GetParam().dpi));
        EXPECT_EQ(font.lfWeight, control.fontWeight);
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
        // Without the face installed the system would quietly use another.
        EXPECT_EQ(RealisedFace(reinterpret_cast<HFONT>(::SendMessageW(handle, WM_GETFONT, 0, 0))), L"Tahoma");
    }
}

TEST_P(LayoutTest, TextFieldsUseTheSystemColours) {
    for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(GetParam().form).tabOrder) {
        HWND handle = ControlAt(position++);
        if (control.kind != Kind::TextField) continue;
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        const ControlColours colours = ColoursOf(handle);
        EXPECT_EQ(colours.brush, ::GetSysColorBrush(COLOR_MENU));
        EXPECT_EQ(colours.background, ::GetSysColor(COLOR_MENU));
        EXPECT_EQ(colours.text, ::GetSysColor(control.textColour));
    }
}

// A colour scheme switched while a window is open (high contrast, with its key) is followed at
// once: Windows tells the window, the window tells every control, and each paints in the new
// colours. Switched in this process, where Wine shows it.
TEST(ColourScheme, SwitchedWhileAWindowIsOpenIsFollowedByEveryControl) {
    auto forms = MakeForms();
    ShowForInspection(*forms, Form::ExitExcel);
    PumpFor(*forms, std::chrono::milliseconds(50));
    static std::set<HWND> told;
    told.clear();
    const win32::UniqueHook hook(::SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (code == HC_ACTION && sent.message == WM_SYSCOLORCHANGE) told.insert(sent.hwnd);
            return ::CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, ::GetCurrentThreadId()));
    const int elements[] = {COLOR_MENU, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_BTNFACE};
    const COLORREF scheme[] = {RGB(0, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0), RGB(0, 0, 128)};
    COLORREF before[std::size(elements)];
    for (std::size_t i = 0; i < std::size(elements); ++i) before[i] = ::GetSysColor(elements[i]);
    struct Restore {
        const int* elements;
        const COLORREF* colours;
        ~Restore() { ::SetSysColors(4, elements, colours); }
    } restore{elements, before};
    ASSERT_TRUE(::SetSysColors(4, elements, scheme));
    ASSERT_EQ(::GetSysColor(COLOR_MENU), scheme[0]) << "Wine no longer shows a switch in its own process";
    // Whatever the system repaints by itself, the window has every control repainted.
    HWND window = forms->WindowOf(Form::ExitExcel);
    ::RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
    ::SendMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
    for (std::size_t position = 0; position < ExpectedWindowOf(Form::ExitExcel).tabOrder.size(); ++position) {
        EXPECT_TRUE(::GetUpdateRect(ControlOf(*forms, Form::ExitExcel, position), nullptr, FALSE)) << position;
    }
    PumpFor(*forms, std::chrono::milliseconds(100));

    for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(Form::ExitExcel).tabOrder) {
        HWND handle = ControlOf(*forms, Form::ExitExcel, position++);
        SCOPED_TRACE(Narrow(ControlLabel(control)));
        EXPECT_EQ(told.count(handle), 1u);
        if (control.kind != Kind::TextField) continue;
        const ControlColours colours = ColoursOf(handle);
        EXPECT_EQ(colours.background, scheme[0]);
        EXPECT_EQ(colours.text, control.textColour == COLOR_MENUTEXT ? scheme[1] : scheme[2]);
        win32::WindowDc dc(handle);
        RECT client{};
        ::GetClientRect(handle, &client);
        EXPECT_EQ(::GetPixel(dc.get(), client.right - 1, client.bottom - 1), scheme[0]);
    }
}

// A text field's lines: how many its text needs at its width, and how many of those it shows in
// full (an edit control shows whole lines only).
struct Lines {
    int needed;
    int shown;
};

Lines LinesOf(HWND field) {
    RECT format{};
    ::SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    win32::WindowDc dc(field);
    win32::SelectObjectGuard font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(field, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    const std::wstring text = WindowText(field);
    RECT needed{0, 0, format.right - format.left, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    const int lines = static_cast<int>(needed.bottom / metrics.tmHeight);
    return {lines, std::min(lines, static_cast<int>((format.bottom - format.top) / metrics.tmHeight))};
}

// At 125, 150, 175 and 200 % every line that a field shows at 100 % shows in full, and the
// arrangement holds: logo and message level at the top, the frames in a row below, the warning
// along the bottom, the buttons bottom right, the right edges in line.
TEST(LayoutAtEveryScale, EveryLineShownAt96DpiShowsInFullAndTheArrangementHolds) {
    std::map<std::pair<Form, std::size_t>, Lines> at96;
    for (int dpi : {96, 120, 144, 168, 192}) {
        auto forms = MakeForms(dpi);
        for (Form form : kAllForms) {
            SCOPED_TRACE(Narrow(std::wstring(FormName(form))) + " at " + std::to_string(dpi) + " dpi");
            ShowForInspection(*forms, form);
            HWND window = forms->WindowOf(form);
            const auto& order = ExpectedWindowOf(form).tabOrder;
            std::map<std::wstring, RECT> placed;
            for (std::size_t position = 0; position < order.size(); ++position) {
                const ExpectedControl& control = order[position];
                SCOPED_TRACE(Narrow(ControlLabel(control)));
                HWND handle = ControlOf(*forms, form, position);
                RECT& inClient = placed[ControlLabel(control)];
                ::GetWindowRect(handle, &inClient);
                ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&inClient), 2);
                if (control.kind != Kind::TextField) continue;
                const Lines lines = LinesOf(handle);
                const Lines design = at96.emplace(std::pair{form, position}, lines).first->second;
                // A field never shows more lines than its text needs, so "at least all" is "all".
                EXPECT_GE(lines.shown, design.shown == design.needed ? lines.needed : design.shown)
                    << "a line shown at 96 dpi is lost";
            }
            if (form == Form::Form1) continue;
            RECT client{};
            ::GetClientRect(window, &client);
            const RECT logo = placed[L"Picture1"], left = placed[L"Frame1(1)"], right = placed[L"Frame1(2)"];
            const RECT warning = placed[L"Text2"];
            const RECT message = placed.count(L"Message") ? placed[L"Message"] : placed[L"RegisteredTo"];
            EXPECT_EQ(logo.top, message.top);
            EXPECT_LT(logo.right, message.left);
            EXPECT_EQ(left.top, right.top);
            EXPECT_GE(left.top, std::max(logo.bottom, message.bottom));
            EXPECT_LE(left.right, right.left);
            EXPECT_EQ(right.right, message.right);
            EXPECT_GE(warning.top, left.bottom);
            EXPECT_LE(warning.bottom, client.bottom);
            EXPECT_LT(message.right, client.right);
            if (placed.count(L"CommandButton1")) {
                const RECT ok = placed[L"CommandButton1"], cancel = placed[L"CommandButton2"];
                EXPECT_EQ(ok.right, message.right);
                EXPECT_EQ(cancel.right, message.right);
                EXPECT_LE(ok.bottom, cancel.top);
                EXPECT_GE(ok.left, warning.right);
                EXPECT_LE(cancel.bottom, client.bottom);
            }
            forms->Unload(form);
        }
    }
}

std::vector<LayoutCase> AllCases() {
    std::vector<LayoutCase> cases;
    for (int dpi : {96, 144}) {
        for (Form form : kAllForms) cases.push_back({form, dpi});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Designs, LayoutTest, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
}  // namespace qh::testing
