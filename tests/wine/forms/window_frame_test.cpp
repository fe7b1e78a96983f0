// The frame of each window: style, owner, icon, place on the screen, pointer.
#include <gtest/gtest.h>

#include "expected_layouts.h"
#include "forms_test_support.h"

namespace qh::testing {
namespace {

class WindowFrameTest : public ::testing::TestWithParam<Form> {
protected:
    void SetUp() override {
        forms_ = MakeForms();
        ShowForInspection(*forms_, GetParam());
        window_ = forms_->WindowOf(GetParam());
        ASSERT_NE(window_, nullptr);
    }
    std::unique_ptr<forms::Win32Forms> forms_;
    HWND window_ = nullptr;
};

std::string FormName(const ::testing::TestParamInfo<Form>& info) {
    const auto name = ExpectedWindowOf(info.param).name;
    return std::string(name.begin(), name.end());
}

TEST_P(WindowFrameTest, FrameStyleFitsTheWindowKind) {
    const LONG style = ::GetWindowLongW(window_, GWL_STYLE);
    const LONG extended = ::GetWindowLongW(window_, GWL_EXSTYLE);
    if (ExpectedWindowOf(GetParam()).toolWindow) {
        // Small caption with a close box only, fixed size, no taskbar button.
        EXPECT_NE(extended & WS_EX_TOOLWINDOW, 0);
        EXPECT_EQ(extended & WS_EX_APPWINDOW, 0);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
        EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
        EXPECT_EQ(::GetWindow(window_, GW_OWNER), forms_->WindowOf(Form::Form1));
    } else {
        EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
        EXPECT_EQ(extended & WS_EX_TOOLWINDOW, 0);
        EXPECT_EQ(::GetWindow(window_, GW_OWNER), nullptr);  // so it has a taskbar button
    }
}

TEST_P(WindowFrameTest, IconAsDesigned) {
    const bool hasIcon = ExpectedWindowOf(GetParam()).hasIcon;
    EXPECT_EQ(::SendMessageW(window_, WM_GETICON, ICON_BIG, 0) != 0, hasIcon);
    EXPECT_EQ(::SendMessageW(window_, WM_GETICON, ICON_SMALL, 0) != 0, hasIcon);
}

TEST_P(WindowFrameTest, OpensCentredOnTheScreenWhereverTheStartUpWindowIs) {
    if (GetParam() != Form::Form1) {
        // Move the start-up window away, then load the dialog afresh.
        forms_->Unload(GetParam());
        ::SetWindowPos(forms_->WindowOf(Form::Form1), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        forms_->Show(GetParam(), ShowMode::Modeless, Form::Form1);
        window_ = forms_->WindowOf(GetParam());
    }
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    EXPECT_NEAR(rect.left + rect.right, ::GetSystemMetrics(SM_CXSCREEN), 1);
    EXPECT_NEAR(rect.top + rect.bottom, ::GetSystemMetrics(SM_CYSCREEN), 1);
}

TEST_P(WindowFrameTest, BackgroundIsTheDialogFace) {
    EXPECT_EQ(::GetClassLongPtrW(window_, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST_P(WindowFrameTest, PointerOverTheClientArea) {
    ::SendMessageW(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    // The start-up window's one further design setting: the cross-hair pointer.
    const HCURSOR expected = ::LoadCursorW(nullptr, GetParam() == Form::Form1 ? IDC_CROSS : IDC_ARROW);
    EXPECT_EQ(::GetCursor(), expected);
}

INSTANTIATE_TEST_SUITE_P(Designs, WindowFrameTest, ::testing::ValuesIn(kAllForms), FormName);

}  // namespace
}  // namespace qh::testing
