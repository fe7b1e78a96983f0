// The branding texts: their roles, and that each fits its field as the layout intends.
#include <gtest/gtest.h>

#include <vector>

#include "forms_test_support.h"
#include "forms/designs.h"
#include "test_handles.h"

namespace qh::testing {
namespace {

using namespace forms::branding;

std::vector<std::wstring_view> Lines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool Has(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

TEST(Branding, ProductTitleBlock) {
    ASSERT_TRUE(kProductTitle.ends_with(L"\r\n"));
    const auto lines = Lines(kProductTitle);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(Has(lines[0], L"Quenzo\u00AE") && Has(lines[0], L"Halvorn\u00AE") && Has(lines[0], L"Plug-in"));
    EXPECT_TRUE(Has(lines[1], L"2000") && Has(lines[1], L"Halvorn Analytics Ltd."));
    EXPECT_TRUE(Has(lines[2], L"All rights reserved") && Has(lines[2], L"Version"));
}

TEST(Branding, MakerContactBlockUsesNumbersAndNamesKeptForFiction) {
    ASSERT_TRUE(kMakerContact.ends_with(L"\r\n"));
    const auto lines = Lines(kMakerContact);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Has(lines[0], L"Quenzo\u00AE") && Has(lines[0], L"Halvorn Analytics Ltd."));
    EXPECT_TRUE(Has(lines[1], L"Software"));
    EXPECT_TRUE(Has(lines[2], L"Tel 020 7946 0") && Has(lines[2], L".example.com"));
    EXPECT_TRUE(lines[3].starts_with(L"Fax 020 7946 0"));
}

TEST(Branding, LegalWarningIsOneParagraph) {
    EXPECT_TRUE(kLegalWarning.starts_with(L"WARNING:"));
    EXPECT_TRUE(kLegalWarning.ends_with(L"\r\n"));
    EXPECT_EQ(kLegalWarning.find(L"\r\n"), kLegalWarning.size() - 2);
    EXPECT_NEAR(static_cast<double>(kLegalWarning.size()), 290.0, 15.0);
    EXPECT_TRUE(Has(kLegalWarning, L"prosecuted"));
}

// Each designed line shows as one line of its field, and the warning wraps (at word boundaries,
// by the field's style) into as many lines as the question dialogs' field shows. (The progress
// windows' field is wider but lower: there the design cuts off the warning's last line.)
TEST(Branding, TextsFitTheirFields) {
    auto forms = MakeForms();
    for (Form form : {Form::ExitExcel, Form::Copying}) {
        ShowForInspection(*forms, form);
        // Tab order of the branding block differs; find the fields by their text.
        for (std::size_t position = 0; position < forms::DesignOf(form).controls.size(); ++position) {
            HWND field = forms->ControlOf(form, position);
            const std::wstring text = WindowText(field);
            const auto lineCount = ::SendMessageW(field, EM_GETLINECOUNT, 0, 0);
            TEXTMETRICW metrics{};
            {
                win32::WindowDc dc(field);
                win32::SelectObjectGuard font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0)));
                ::GetTextMetricsW(dc.get(), &metrics);
            }
            RECT client{};
            ::GetClientRect(field, &client);
            // Each designed line and the empty one after the last break.
            if (text == kProductTitle) {
                EXPECT_EQ(lineCount, 4);
            }
            if (text == kMakerContact) {
                EXPECT_EQ(lineCount, 5);
            }
            if (text == kLegalWarning && form == Form::ExitExcel) {
                EXPECT_GT(lineCount, 2);
                EXPECT_LE((lineCount - 1) * metrics.tmHeight, client.bottom) << "the warning is cut off";
            }
        }
    }
}

}  // namespace
}  // namespace qh::testing
