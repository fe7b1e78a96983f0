#include "forms/designs.h"

#include <algorithm>
#include <stdexcept>

#include "core/dialog.h"
#include "forms/resource_ids.h"

namespace qh::forms {

namespace {

// \u00AE is the registered-trademark sign, \u00A9 the copyright sign.
constexpr std::wstring_view kProductTitle =
    L"Quenzo\u00AE Halvorn\u00AE Excel Plug-in\r\n"
    L"\u00A9 2000 Halvorn Analytics Ltd.\r\n"
    L"All rights reserved. Version 2.0\r\n";

// Telephone and fax numbers from the range the UK regulator keeps for drama; the web address
// under a domain reserved for examples.
constexpr std::wstring_view kMakerContact =
    L"Quenzo\u00AE by Halvorn Analytics Ltd.\r\n"
    L"Halvorn Software Division\r\n"
    L"Tel 020 7946 0321 halvorn.example.com\r\n"
    L"Fax 020 7946 0322\r\n";

constexpr std::wstring_view kLegalWarning =
    L"WARNING: Quenzo Halvorn is the property of Halvorn Analytics Ltd. and is protected by "
    L"copyright. Copying, lending or passing on this program or any part of it in any form "
    L"without the written permission of its maker is unlawful. Any unauthorised copying or "
    L"distribution will be prosecuted.\r\n";

constexpr TwipSize kQuestionText2{5715, 795};
constexpr TwipSize kProgressText2{7035, 675};

// The branding block that all four dialogs share. Only Text2's size and the tab positions differ:
// Picture1 takes `pictureTab`; the two frames with their text fields and then Text2 take the
// positions from `framesTab` on.
void AddBrandingBlock(std::vector<ControlDesign>& controls, int pictureTab, int framesTab, TwipSize text2) {
    controls.push_back({.name = L"Picture1",
                        .kind = ControlKind::PictureBox,
                        .rect = {120, 120, 3375, 795},
                        .tabIndex = pictureTab,
                        // A picture has nothing to do with the keyboard: Tab goes from the buttons
                        // to the message, and a progress window opens with the focus on its
                        // message, which a screen reader then reads.
                        .tabStop = false});
    controls.push_back({.name = L"Frame1",
                        .index = 1,
                        .kind = ControlKind::Frame,
                        .rect = {120, 960, 3375, 975},
                        .tabIndex = framesTab,
                        .tabStop = false});
    controls.push_back({.name = L"Text1",
                        .index = 1,
                        .kind = ControlKind::TextField,
                        .containerName = L"Frame1",
                        .containerIndex = 1,
                        .rect = {60, 180, 3255, 735},
                        .alignment = Alignment::Centre,
                        .textColour = SystemColour::MenuText,
                        .text = kProductTitle,
                        .tabIndex = framesTab + 1,
                        .tabStop = false});
    controls.push_back({.name = L"Frame1",
                        .index = 2,
                        .kind = ControlKind::Frame,
                        .rect = {3780, 960, 3435, 975},
                        .tabIndex = framesTab + 2,
                        .tabStop = false});
    controls.push_back({.name = L"Text1",
                        .index = 2,
                        .kind = ControlKind::TextField,
                        .containerName = L"Frame1",
                        .containerIndex = 2,
                        .rect = {60, 120, 3255, 795},
                        .alignment = Alignment::Centre,
                        .textColour = SystemColour::MenuText,
                        .text = kMakerContact,
                        .tabIndex = framesTab + 3,
                        .tabStop = false});
    controls.push_back({.name = L"Text2",
                        .kind = ControlKind::TextField,
                        .rect = {180, 2100, text2.width, text2.height},
                        .alignment = Alignment::Left,
                        .textColour = SystemColour::WindowText,
                        .text = kLegalWarning,
                        .tabIndex = framesTab + 4,
                        .tabStop = false});
}

ControlDesign OkButton(int tab) {
    return {.name = L"CommandButton1",
            .kind = ControlKind::Button,
            .rect = {6180, 2040, 1035, 435},
            .text = L"Ok",
            .tabIndex = tab,
            .clickTag = kOkTag};
}

ControlDesign CancelButton(int tab) {
    return {.name = L"CommandButton2",
            .kind = ControlKind::Button,
            .rect = {6180, 2520, 1035, 435},
            .text = L"Cancel",
            .tabIndex = tab,
            .clickTag = kCancelTag};
}

// The message field at the top right of every dialog.
ControlDesign MessageField(std::wstring_view name, FontDesign font, SystemColour colour, std::wstring_view text,
                           int tab, bool readOnly) {
    return {.name = name,
            .kind = ControlKind::TextField,
            .rect = {3780, 120, 3435, 795},
            .font = font,
            .alignment = Alignment::Centre,
            .textColour = colour,
            .text = text,
            .tabIndex = tab,
            .readOnly = readOnly,
            .isMessage = true};
}

WindowDesign InTabOrder(WindowDesign design) {
    std::ranges::sort(design.controls, {}, &ControlDesign::tabIndex);
    return design;
}

WindowDesign Form1Design(Form form) {
    return {.form = form,
            .frame = FrameKind::Sizable,
            .caption = kProductName,
            .client = {3465, 885},
            .iconId = IDI_SPHERE,
            .mousePointer = MousePointer::Crosshair,
            .controls = {{.name = L"Logo",
                          .kind = ControlKind::PictureBox,
                          .rect = {60, 60, 3375, 780},
                          .tabIndex = 0,
                          .tabStop = false,
                          .sunkenBorder = true}}};
}

WindowDesign ExitExcelDesign(Form form) {
    WindowDesign design{.form = form,
                        .frame = FrameKind::ToolWindow,
                        .caption = kProductName,
                        .client = {7305, 3075},
                        .iconId = 0,
                        .mousePointer = MousePointer::Default,
                        .controls = {}};
    design.controls.push_back(OkButton(0));
    design.controls.push_back(CancelButton(1));
    AddBrandingBlock(design.controls, 2, 3, kQuestionText2);
    design.controls.push_back(
        MessageField(L"RegisteredTo", kTahoma15Bold, SystemColour::WindowText, L"Please close Excel!\r\n", 8, true));
    return InTabOrder(std::move(design));
}

WindowDesign UnInstallDesign(Form form) {
    WindowDesign design{.form = form,
                        .frame = FrameKind::ToolWindow,
                        .caption = kProductName,
                        .client = {7305, 3075},
                        .iconId = IDI_QZ_ON_GREY,
                        .mousePointer = MousePointer::Default,
                        .controls = {}};
    design.controls.push_back(CancelButton(0));
    design.controls.push_back(OkButton(2));
    AddBrandingBlock(design.controls, 1, 3, kQuestionText2);
    design.controls.push_back(MessageField(L"RegisteredTo", kTahoma8Regular, SystemColour::MenuText,
                                           L"Uninstall Quenzo Halvorn! Caution: if you \r\n"
                                           L"installed the Quenzo menu, you need to first \r\n"
                                           L"run macro DeleteQuenzoFromToolsMenu.\r\n",
                                           8, false));
    return InTabOrder(std::move(design));
}

WindowDesign ProgressDesign(Form form, int iconId, std::wstring_view message) {
    WindowDesign design{.form = form,
                        .frame = FrameKind::ToolWindow,
                        .caption = kProductName,
                        .client = {7305, 2805},
                        .iconId = iconId,
                        .mousePointer = MousePointer::Default,
                        .controls = {}};
    AddBrandingBlock(design.controls, 0, 1, kProgressText2);
    design.controls.push_back(MessageField(L"Message", kTahoma14Regular, SystemColour::WindowText, message, 6, true));
    return InTabOrder(std::move(design));
}

}  // namespace

const WindowDesign& DesignOf(Form form) {
    // Each design is built on its first use and kept for the life of the program.
    switch (form) {
        case Form::Form1: {
            static const WindowDesign design = Form1Design(form);
            return design;
        }
        case Form::ExitExcel: {
            static const WindowDesign design = ExitExcelDesign(form);
            return design;
        }
        case Form::UnInstall: {
            static const WindowDesign design = UnInstallDesign(form);
            return design;
        }
        case Form::Copying: {
            static const WindowDesign design =
                ProgressDesign(form, IDI_QZ_ON_WHITE, L"Copying files, please wait...\r\n");
            return design;
        }
        case Form::Deleting: {
            static const WindowDesign design = ProgressDesign(form, 0, L"Deleting files, please \r\nwait...\r\n");
            return design;
        }
    }
    throw std::invalid_argument("not a form");
}

}  // namespace qh::forms
