// The branding texts: each fits its field as the layout intends.
#include <gtest/gtest.h>

#include "forms_test_support.h"
#include "forms/designs.h"
#include "test_handles.h"

namespace qh::testing {
namespace {

// Each designed line shows as one line of its field, and the warning wraps (at word boundaries,
// by the field's style) into as many lines as the question dialogs' field shows. (The progress
// windows' field is wider but lower: there the design cuts off the warning's last line.)
TEST(Branding, TextsFitTheirFields) {
    auto forms = MakeForms();
    for (Form form : {Form::ExitExcel, Form::Copying}) {
        ShowForInspection(*forms, form);
        const std::wstring_view productTitle = DesignedText(form, L"Text1", 1);
        const std::wstring_view makerContact = DesignedText(form, L"Text1", 2);
        const std::wstring_view legalWarning = DesignedText(form, L"Text2");
        // Tab order of the branding block differs; find the fields by their text.
        for (std::size_t position = 0; position < forms::DesignOf(form).controls.size(); ++position) {
            HWND field = ControlOf(*forms, form, position);
            const std::wstring text = WindowText(field);
            const auto lineCount = ::SendMessageW(field, EM_GETLINECOUNT, 0, 0);
            TEXTMETRICW metrics{};
            {
                win32::WindowDc dc(field);
                win32::SelectObjectGuard font(dc.get(),
                                              reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0)));
                ::GetTextMetricsW(dc.get(), &metrics);
            }
            RECT client{};
            ::GetClientRect(field, &client);
            // Each designed line and the empty one after the last break.
            if (text == productTitle) {
                EXPECT_EQ(lineCount, 4);
            }
            if (text == makerContact) {
                EXPECT_EQ(lineCount, 5);
            }
            if (text == legalWarning && form == Form::ExitExcel) {
                EXPECT_GT(lineCount, 2);
                EXPECT_LE((lineCount - 1) * metrics.tmHeight, client.bottom) << "the warning is cut off";
            }
        }
    }
}

}  // namespace
}  // namespace qh::testing
