// Loading, showing, hiding and unloading forms; the modal loop; the event pump; the end.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "core/event_pump.h"
#include "forms_test_support.h"

namespace qh::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kCommandButton1 = 0;  // ExitExcel's tab order
constexpr std::size_t kCommandButton2 = 1;

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms_ = MakeForms();
        forms_->Show(Form::Form1, ShowMode::Modeless, std::nullopt);
        form1_ = forms_->WindowOf(Form::Form1);
    }
    std::unique_ptr<forms::Win32Forms> forms_;
    HWND form1_ = nullptr;
};

TEST_F(LifecycleTest, ButtonsStoreTheirAnswerAndHide) {
    const struct {
        std::size_t button;
        const wchar_t* tag;
    } cases[] = {{kCommandButton1, L"Ok"}, {kCommandButton2, L"Cancel"}};
    for (const auto& c : cases) {
        HWND dialog = nullptr;
        WhileModal script(*forms_, {[&] {
            dialog = forms_->WindowOf(Form::ExitExcel);
            ::SendMessageW(ControlOf(*forms_, Form::ExitExcel, c.button), BM_CLICK, 0, 0);
        }});
        EXPECT_EQ(forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1), ModalEnd::Hidden);
        // Hidden, not unloaded: the same window still holds the answer.
        EXPECT_EQ(forms_->WindowOf(Form::ExitExcel), dialog);
        EXPECT_FALSE(::IsWindowVisible(dialog));
        EXPECT_EQ(forms_->Tag(Form::ExitExcel), c.tag);
        forms_->Unload(Form::ExitExcel);
        EXPECT_FALSE(::IsWindow(dialog));
        EXPECT_EQ(forms_->Tag(Form::ExitExcel), L"");  // a fresh instance
    }
}

TEST_F(LifecycleTest, CloseBoxUnloadsAndAFreshInstanceFollows) {
    forms_->SetTag(Form::ExitExcel, L"Ok");
    HWND dialog = nullptr;
    WhileModal script(*forms_, {[&] {
        dialog = forms_->WindowOf(Form::ExitExcel);
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }});
    EXPECT_EQ(forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1), ModalEnd::Unloaded);
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_EQ(forms_->Tag(Form::ExitExcel), L"");
    EXPECT_NE(forms_->WindowOf(Form::ExitExcel), nullptr);
    EXPECT_NE(forms_->WindowOf(Form::ExitExcel), dialog);
    EXPECT_TRUE(::IsWindowEnabled(form1_));
}

TEST_F(LifecycleTest, ModalShowDisablesTheOtherWindowsAndGivesThemBack) {
    forms_->Show(Form::Copying, ShowMode::Modeless, Form::Form1);
    HWND copying = forms_->WindowOf(Form::Copying);
    bool form1Enabled = true;
    bool copyingEnabled = true;
    bool dialogEnabled = false;
    WhileModal script(*forms_, {[&] {
        form1Enabled = ::IsWindowEnabled(form1_);
        copyingEnabled = ::IsWindowEnabled(copying);
        dialogEnabled = ::IsWindowEnabled(forms_->WindowOf(Form::ExitExcel));
        ::SendMessageW(ControlOf(*forms_, Form::ExitExcel, kCommandButton1), BM_CLICK, 0, 0);
    }});
    forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1);
    EXPECT_FALSE(form1Enabled);
    EXPECT_FALSE(copyingEnabled);
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(::IsWindowEnabled(form1_));
    EXPECT_TRUE(::IsWindowEnabled(copying));
    // The owner was given back its input before the dialog went, so the activation stays here.
    EXPECT_NE(::GetActiveWindow(), forms_->WindowOf(Form::ExitExcel));
    EXPECT_TRUE(::GetActiveWindow() == form1_ || ::GetActiveWindow() == copying);
}

TEST_F(LifecycleTest, AVisibleFormCannotBeShownModally) {
    forms_->Show(Form::ExitExcel, ShowMode::Modeless, Form::Form1);
    EXPECT_THROW(forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1), std::logic_error);
}

TEST_F(LifecycleTest, FormsOfAnotherProgramAreRefused) {
    const Form installerForms[] = {Form::Form1, Form::ExitExcel, Form::Copying};
    forms::Win32Forms installer(::GetModuleHandleW(nullptr), installerForms, forms::LayoutScale(96));
    EXPECT_THROW(installer.Tag(Form::UnInstall), std::logic_error);
    EXPECT_EQ(installer.Tag(Form::Copying), L"");
}

TEST_F(LifecycleTest, PumpWaitsUntilTheDeadlineWithoutSpinning) {
    const auto start = forms_->Now();
    const auto deadline = start + 300ms;
    int calls = 0;
    while (forms_->Now() < deadline) {
        forms_->PumpEventsUntil(deadline);
        ++calls;
    }
    const auto elapsed = forms_->Now() - start;
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 600ms);
    EXPECT_LT(calls, 20) << "the pump returned again and again without events";

    // Told to quit, the wait ends at once, and the quit stays queued for whoever runs the loop.
    ::PostQuitMessage(3);
    const auto told = forms_->Now();
    EXPECT_THROW(HandleEventsUntil(*forms_, told + 2s, [] { return false; }), std::runtime_error);
    EXPECT_LT(forms_->Now() - told, 500ms);
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 3);
}

TEST_F(LifecycleTest, PumpHandlesWhatIsPostedAndReturns) {
    forms_->Show(Form::ExitExcel, ShowMode::Modeless, Form::Form1);
    ASSERT_EQ(::GetFocus(), ControlOf(*forms_, Form::ExitExcel, kCommandButton1));
    PressKey(VK_TAB);
    const auto start = forms_->Now();
    forms_->PumpEventsUntil(start + 5s);
    EXPECT_LT(forms_->Now() - start, 1s) << "the pump did not return after handling the events";
    EXPECT_EQ(::GetFocus(), ControlOf(*forms_, Form::ExitExcel, kCommandButton2));
}

TEST_F(LifecycleTest, EndClosesEveryWindowAtOnce) {
    forms_->Show(Form::Copying, ShowMode::Modeless, Form::Form1);
    HWND copying = forms_->WindowOf(Form::Copying);
    HWND prompt = nullptr;
    WhileModal script(*forms_, {[&] {
        prompt = forms_->WindowOf(Form::ExitExcel);
        forms_->End();
    }});
    EXPECT_EQ(forms_->Show(Form::ExitExcel, ShowMode::Modal, Form::Form1), ModalEnd::Unloaded);
    EXPECT_FALSE(::IsWindow(prompt));
    EXPECT_FALSE(::IsWindow(copying));
    EXPECT_FALSE(::IsWindow(form1_));
}

// A failure that one of the runtime's window procedures raised reaches the runtime the way every
// such failure does, through its FormEvents. This window procedure raises one on kFail.
constexpr UINT kFail = WM_APP + 7;
WNDPROC originalProcedure = nullptr;
forms::FormEvents* failureEvents = nullptr;

LRESULT CALLBACK FailingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFail) {
        failureEvents->OnFailure(std::make_exception_ptr(std::runtime_error("failed in a window procedure")));
        return 0;
    }
    return ::CallWindowProcW(originalProcedure, window, message, wParam, lParam);
}

// However it is handled, a failure raised inside a window procedure comes out of the runtime, once,
// and is kept for the end of the run.
TEST_F(LifecycleTest, FailureInAWindowProcedureIsNeverLost) {
    const struct {
        const char* name;
        std::function<void(forms::Win32Forms&, HWND)> raise;
    } cases[] = {
        // Dispatched by the pump.
        {"posted, then pumped",
         [](auto& forms, HWND window) {
             ::PostMessageW(window, kFail, 0, 0);
             forms.PumpEventsUntil(forms.Now() + 2s);
         }},
        // Sent straight to the window procedure, as showing or activating a window does: no
        // pump dispatched it, the next one passes it on.
        {"sent, then pumped",
         [](auto& forms, HWND window) {
             ::SendMessageW(window, kFail, 0, 0);
             forms.PumpEventsUntil(forms.Now() + 10ms);
         }},
        // While a dialog is up.
        {"inside a modal Show",
         [](auto& forms, HWND window) {
             WhileModal script(forms, {[window] { ::PostMessageW(window, kFail, 0, 0); }});
             forms.Show(Form::ExitExcel, ShowMode::Modal, Form::Form1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto forms = MakeForms();
        forms->Show(Form::Form1, ShowMode::Modeless, std::nullopt);
        HWND form1 = forms->WindowOf(Form::Form1);
        failureEvents = forms.get();
        originalProcedure = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(form1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FailingProcedure)));
        EXPECT_THROW(c.raise(*forms, form1), std::runtime_error);
        EXPECT_NO_THROW(forms->PumpEventsUntil(forms->Now() + 10ms)) << "passed on twice";
        EXPECT_NE(forms->FirstWindowFailure(), nullptr);
        ::SetWindowLongPtrW(form1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProcedure));
    }
}

}  // namespace
}  // namespace qh::testing
