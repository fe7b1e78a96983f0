#include "expected_layouts.h"

#include <stdexcept>

#include "forms_test_support.h"

namespace qh::testing {
namespace {

constexpr int kMenuText = 7;
constexpr int kWindowText = 8;

// The branding block with Text2 `text2Width` x `text2Height`. Its texts are the designs' own.
std::vector<ExpectedControl> Branding(int text2Width, int text2Height) {
    const std::wstring_view productTitle = DesignedText(Form::ExitExcel, L"Text1", 1);
    const std::wstring_view makerContact = DesignedText(Form::ExitExcel, L"Text1", 2);
    const std::wstring_view legalWarning = DesignedText(Form::ExitExcel, L"Text2");
    return {
        {L"Picture1", 0, Kind::PictureBox, L"", 0, 8, 8, 225, 53, 0, 0, false, 0, true, false, false, L""},
        {L"Frame1", 1, Kind::Frame, L"", 0, 8, 64, 225, 65, 0, 0, false, 0, true, false, false, L""},
        {L"Text1", 1, Kind::TextField, L"Frame1", 1, 4, 12, 217, 49, -11, 400, true, kMenuText, true, false, false,
         productTitle},
        {L"Frame1", 2, Kind::Frame, L"", 0, 252, 64, 229, 65, 0, 0, false, 0, true, false, false, L""},
        {L"Text1", 2, Kind::TextField, L"Frame1", 2, 4, 8, 217, 53, -11, 400, true, kMenuText, true, false, false,
         makerContact},
        {L"Text2", 0, Kind::TextField, L"", 0, 12, 140, text2Width, text2Height, -11, 400, false, kWindowText, true,
         false, false, legalWarning},
    };
}

const ExpectedControl kOk{
    L"CommandButton1", 0, Kind::Button, L"", 0, 412, 136, 69, 29, -11, 400, true, 0, true, true, false, L"Ok"};
const ExpectedControl kCancel{
    L"CommandButton2", 0, Kind::Button, L"", 0, 412, 168, 69, 29, -11, 400, true, 0, true, true, false, L"Cancel"};

std::vector<ExpectedControl> Concat(std::vector<ExpectedControl> a, const std::vector<ExpectedControl>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<ExpectedWindow> Build() {
    const auto questionBranding = Branding(381, 53);
    const auto progressBranding = Branding(469, 45);
    const auto progress = [&](Form form, std::wstring_view name, bool icon, std::wstring_view message) {
        return ExpectedWindow{form,
                              name,
                              487,
                              187,
                              true,
                              icon,
                              Concat(progressBranding, {{L"Message", 0, Kind::TextField, L"", 0, 252, 8, 229, 53, -19,
                                                         400, true, kWindowText, true, true, false, message}})};
    };
    std::vector<ExpectedControl> unInstall{kCancel, questionBranding[0], kOk};
    unInstall.insert(unInstall.end(), questionBranding.begin() + 1, questionBranding.end());
    unInstall.push_back({L"RegisteredTo", 0, Kind::TextField, L"", 0, 252, 8, 229, 53, -11, 400, true, kMenuText, false,
                         true, false,
                         L"Uninstall Quenzo Halvorn! Caution: if you \r\ninstalled the Quenzo menu, you need to "
                         L"first \r\nrun macro DeleteQuenzoFromToolsMenu.\r\n"});
    return {
        {Form::Form1,
         L"Form1",
         231,
         59,
         false,
         true,
         {{L"Logo", 0, Kind::PictureBox, L"", 0, 4, 4, 225, 52, 0, 0, false, 0, true, false, true, L""}}},
        {Form::ExitExcel, L"ExitExcel", 487, 205, true, false,
         Concat(Concat({kOk, kCancel}, questionBranding),
                {{L"RegisteredTo", 0, Kind::TextField, L"", 0, 252, 8, 229, 53, -21, 700, true, kWindowText, true, true,
                  false, L"Please close Excel!\r\n"}})},
        {Form::UnInstall, L"UnInstall", 487, 205, true, true, unInstall},
        progress(Form::Copying, L"Copying", true, L"Copying files, please wait...\r\n"),
        progress(Form::Deleting, L"Deleting", false, L"Deleting files, please \r\nwait...\r\n"),
    };
}

}  // namespace

const std::vector<ExpectedWindow>& ExpectedWindows() {
    static const std::vector<ExpectedWindow> windows = Build();
    return windows;
}

const ExpectedWindow& ExpectedWindowOf(Form form) {
    for (const ExpectedWindow& window : ExpectedWindows()) {
        if (window.form == form) return window;
    }
    throw std::out_of_range("no such form");
}

}  // namespace qh::testing
