// The keyboard in the dialogs: the focus on opening, Tab, Escape, Enter and typing.
#include <gtest/gtest.h>

#include "expected_layouts.h"
#include "forms_test_support.h"

namespace qh::testing {
namespace {

// The position of a control in the form's tab order.
std::size_t PositionOf(Form form, std::wstring_view name, int index = 0) {
    const auto& order = ExpectedWindowOf(form).tabOrder;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i].name == name && order[i].index == index) return i;
    }
    throw std::out_of_range("no such control");
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms_ = MakeForms();
        forms_->Show(Form::Form1, ShowMode::Modeless, std::nullopt);
    }
    // Refers to the form, which loads it when it is not loaded.
    HWND Control(Form form, std::wstring_view name, int index = 0) {
        forms_->Tag(form);
        return ControlOf(*forms_, form, PositionOf(form, name, index));
    }
    // Clicks Ok, which ends a modal Show that must not have ended before.
    WhileModal::Step ClickOk(Form form) {
        return [this, form] { ::SendMessageW(Control(form, L"CommandButton1"), BM_CLICK, 0, 0); };
    }
    WhileModal::Step ExpectStillOpen(Form form) {
        return [this, form] { EXPECT_TRUE(::IsWindowVisible(forms_->WindowOf(form))) << "the dialog was closed"; };
    }
    std::unique_ptr<forms::Win32Forms> forms_;
};

TEST_F(KeyboardTest, QuestionsOpenWithTheFocusOnTheirFirstButton) {
    const struct {
        Form form;
        std::wstring_view button;
    } cases[] = {{Form::ExitExcel, L"CommandButton1"}, {Form::UnInstall, L"CommandButton2"}};
    for (const auto& c : cases) {
        for (int pass = 0; pass < 2; ++pass) {  // a fresh instance opens the same way
            HWND focused = nullptr;
            WhileModal script(*forms_, {[&] { focused = ::GetFocus(); }, ClickOk(c.form)});
            forms_->Show(c.form, ShowMode::Modal, Form::Form1);
            EXPECT_EQ(focused, Control(c.form, c.button));
            forms_->Unload(c.form);
        }
    }
}

// Where a screen reader reads it.
TEST_F(KeyboardTest, ProgressWindowsOpenWithTheFocusOnTheirMessage) {
    for (Form form : {Form::Copying, Form::Deleting}) {
        forms_->Show(form, ShowMode::Modeless, Form::Form1);
        EXPECT_EQ(::GetFocus(), Control(form, L"Message"));
        // No text cursor blinks there: the caret's place keeps the field's colour through a blink.
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        ASSERT_TRUE(::GetGUIThreadInfo(::GetCurrentThreadId(), &thread));
        win32::WindowDc dc(::GetFocus());
        for (int look = 0; look < 3; ++look) {
            PumpFor(*forms_, std::chrono::milliseconds(::GetCaretBlinkTime() / 2 + 10));
            EXPECT_EQ(::GetPixel(dc.get(), thread.rcCaret.left, thread.rcCaret.top), ::GetSysColor(COLOR_MENU)) << look;
        }
        forms_->Unload(form);
    }
}

TEST_F(KeyboardTest, TabVisitsButtonsAndMessageAndSkipsTheLogoAndTheTextsOfTheBrandingBlock) {
    const struct {
        Form form;
        std::vector<std::wstring_view> afterEachTab;
    } cases[] = {
        {Form::ExitExcel, {L"CommandButton2", L"RegisteredTo", L"CommandButton1"}},
        {Form::UnInstall, {L"CommandButton1", L"RegisteredTo", L"CommandButton2"}},
    };
    for (const auto& c : cases) {
        std::vector<HWND> visited;
        std::vector<WhileModal::Step> steps;
        for (std::size_t i = 0; i < c.afterEachTab.size(); ++i) {
            steps.push_back([] { PressKey(VK_TAB); });
            steps.push_back([&] { visited.push_back(::GetFocus()); });
        }
        steps.push_back(ClickOk(c.form));
        WhileModal script(*forms_, steps);
        forms_->Show(c.form, ShowMode::Modal, Form::Form1);
        ASSERT_EQ(visited.size(), c.afterEachTab.size());
        for (std::size_t i = 0; i < visited.size(); ++i) EXPECT_EQ(visited[i], Control(c.form, c.afterEachTab[i])) << i;
        forms_->Unload(c.form);
    }
    // Clicked into, a framed text field passes Tab on too: its frame hands the request up.
    HWND framed = Control(Form::ExitExcel, L"Text1", 1);
    HWND afterTab = framed;
    WhileModal script(*forms_, {[&] { ::SetFocus(framed); }, [] { PressKey(VK_TAB); }, [&] { afterTab = ::GetFocus(); },
                                ClickOk(Form::ExitExcel)});
    forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1);
    EXPECT_NE(afterTab, framed);
    EXPECT_TRUE(::IsChild(forms_->WindowOf(Form::ExitExcel), afterTab));
}

TEST_F(KeyboardTest, EscapeNeitherAnswersNorCloses) {
    for (Form form : {Form::ExitExcel, Form::UnInstall}) {
        // On each button, in the message field (a multi-line edit) and in a framed text field.
        const std::vector<HWND> targets{Control(form, L"CommandButton1"), Control(form, L"CommandButton2"),
                                        Control(form, L"RegisteredTo"), Control(form, L"Text1", 1)};
        std::vector<WhileModal::Step> steps;
        for (HWND target : targets) {
            steps.push_back([target] { ::SetFocus(target); });
            steps.push_back([] { PressKey(VK_ESCAPE); });
            steps.push_back(ExpectStillOpen(form));
        }
        steps.push_back(ClickOk(form));
        WhileModal script(*forms_, steps);
        EXPECT_EQ(forms_->Show(form, ShowMode::Modal, Form::Form1), ModalEnd::Hidden);
        EXPECT_EQ(forms_->Tag(form), L"Ok");
        forms_->Unload(form);
    }
}

TEST_F(KeyboardTest, EnterAnswersThroughTheFocusedButtonOnly) {
    const struct {
        Form form;
        int tabsFirst;
        const wchar_t* answer;
    } cases[] = {
        {Form::ExitExcel, 0, L"Ok"},
        {Form::ExitExcel, 1, L"Cancel"},
        {Form::UnInstall, 0, L"Cancel"},
        {Form::UnInstall, 1, L"Ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "tabs " << c.tabsFirst);
        std::vector<WhileModal::Step> steps;
        for (int i = 0; i < c.tabsFirst; ++i) steps.push_back([] { PressKey(VK_TAB); });
        steps.push_back([] { PressKey(VK_RETURN); });
        WhileModal script(*forms_, steps);
        EXPECT_EQ(forms_->Show(c.form, ShowMode::Modal, Form::Form1), ModalEnd::Hidden);
        EXPECT_EQ(forms_->Tag(c.form), c.answer);
        forms_->Unload(c.form);
    }
}

TEST_F(KeyboardTest, EnterInATextFieldDoesNothing) {
    for (Form form : {Form::ExitExcel, Form::UnInstall}) {
        HWND message = Control(form, L"RegisteredTo");
        const std::wstring before = WindowText(message);
        WhileModal script(*forms_,
                          {[message] { ::SetFocus(message); }, [] { PressKey(VK_RETURN); }, ExpectStillOpen(form),
                           [&] { EXPECT_EQ(WindowText(message), before); }, ClickOk(form)});
        forms_->Show(form, ShowMode::Modal, Form::Form1);
        EXPECT_EQ(forms_->Tag(form), L"Ok");
        forms_->Unload(form);
    }
}

TEST_F(KeyboardTest, ReadOnlyFieldsRefuseTyping) {
    for (Form form : {Form::ExitExcel, Form::UnInstall, Form::Copying, Form::Deleting}) {
        forms_->Show(form, ShowMode::Modeless, Form::Form1);
        for (std::size_t position = 0; const ExpectedControl& control : ExpectedWindowOf(form).tabOrder) {
            HWND handle = ControlOf(*forms_, form, position++);
            if (control.kind != Kind::TextField || !control.readOnly) continue;
            ::SetFocus(handle);
            TypeCharacter(handle, L'x');
            ::PostMessageW(handle, WM_KEYDOWN, VK_DELETE, 1);
            PumpFor(*forms_, std::chrono::milliseconds(30));
            EXPECT_EQ(WindowText(handle), control.text) << std::string(control.name.begin(), control.name.end());
        }
        forms_->Unload(form);
    }
}

TEST_F(KeyboardTest, UnInstallMessageTakesTypingToNoEffect) {
    HWND message = Control(Form::UnInstall, L"RegisteredTo");
    const std::wstring design = WindowText(message);
    std::wstring typed;
    WhileModal script(*forms_, {[message] {
                                    ::SetFocus(message);
                                    ::SendMessageW(message, EM_SETSEL, 0, 0);
                                },
                                [message] { TypeCharacter(message, L'x'); }, [&] { typed = WindowText(message); },
                                ClickOk(Form::UnInstall)});
    EXPECT_EQ(forms_->Show(Form::UnInstall, ShowMode::Modal, Form::Form1), ModalEnd::Hidden);
    EXPECT_EQ(typed, L"x" + design);
    EXPECT_EQ(forms_->Tag(Form::UnInstall), L"Ok");
    forms_->Unload(Form::UnInstall);
    EXPECT_EQ(WindowText(Control(Form::UnInstall, L"RegisteredTo")), design);  // a fresh instance
}

}  // namespace
}  // namespace qh::testing
