#include <gtest/gtest.h>

#include "core/dialog.h"
#include "core/progress_window.h"
#include "core/excel_guard.h"
#include "core/spoken_text.h"
#include "fake_platform.h"

namespace qh {
namespace {

using fake::FakePlatform;
using fake::MachineState;
using fake::UserAction;
using Calls = std::vector<std::wstring>;
using namespace std::chrono_literals;

// A screen reader is given a window's message as its words: the breaks the field's width needs
// go, and the words on either side of one stay apart.
TEST(SpokenText, IsTheMessageWithoutItsLineBreaks) {
    const struct {
        std::wstring_view text;
        std::wstring_view spoken;
    } cases[] = {
        {L"Please close Excel!\r\n", L"Please close Excel!"},
        {L"Uninstall Quenzo Halvorn! Caution: if you \r\ninstalled the Quenzo menu, you need to first \r\nrun macro "
         L"DeleteQuenzoFromToolsMenu.\r\n",
         L"Uninstall Quenzo Halvorn! Caution: if you installed the Quenzo menu, you need to first run macro "
         L"DeleteQuenzoFromToolsMenu."},
        {L"Deleting files, please \r\nwait...\r\n", L"Deleting files, please wait..."},
        {L"one\r\ntwo\n\nthree\rfour \r\n five", L"one two three four  five"},
        {L"\r\n\r\n", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(SpokenText(c.text), c.spoken);
}

TEST(Ask, OnlyExactCancelCancelsAndTheDialogIsAlwaysUnloaded) {
    const struct {
        UserAction action;
        CloseBox closeBox;
        Answer expected;
    } cases[] = {
        {UserAction::ClickOk, CloseBox::GoesAhead, Answer::GoAhead},
        {UserAction::ClickCancel, CloseBox::GoesAhead, Answer::Cancel},
        {UserAction::CloseBox, CloseBox::GoesAhead, Answer::GoAhead},
        {UserAction::ClickOk, CloseBox::Cancels, Answer::GoAhead},
        {UserAction::ClickCancel, CloseBox::Cancels, Answer::Cancel},
        {UserAction::CloseBox, CloseBox::Cancels, Answer::Cancel},
    };
    for (const auto& c : cases) {
        MachineState state;
        state.answers[Form::UnInstall] = {c.action};
        FakePlatform fake(state);
        EXPECT_EQ(Ask(fake, Form::UnInstall, c.closeBox), c.expected);
        EXPECT_EQ(fake.journal.Calls(),
                  (Calls{L"Show UnInstall modal owner Form1", L"Tag UnInstall", L"Unload UnInstall"}));
    }
}

// A runtime whose dialogs leave an arbitrary text in Tag.
class TagLeavingRuntime : public FakePlatform {
public:
    using FakePlatform::FakePlatform;
    std::wstring tagToLeave;
    ModalEnd Show(Form, ShowMode, std::optional<Form>) override { return ModalEnd::Hidden; }
    std::wstring Tag(Form) override { return tagToLeave; }
};

TEST(Ask, TagOtherThanExactlyCancelGoesAhead) {
    for (const wchar_t* tag : {L"cancel", L"CANCEL", L"Cancel ", L"", L"Ok", L"Abort"}) {
        TagLeavingRuntime runtime{MachineState{}};
        runtime.tagToLeave = tag;
        EXPECT_EQ(Ask(runtime, Form::ExitExcel, CloseBox::Cancels), Answer::GoAhead)
            << testing::PrintToString(std::wstring(tag));
    }
}

TEST(ExcelGuard, AsksAgainWhileExcelRunsAndPassesOnceItIsGone) {
    MachineState state;
    // Excel runs; Ok without closing it; close box while it still runs; closed, then Ok.
    state.excelWindowLooks = {true, true, true, false};
    state.answers[Form::ExitExcel] = {UserAction::ClickOk, UserAction::CloseBox, UserAction::ClickOk};
    FakePlatform fake(state);
    EXPECT_EQ(PassExcelGuard(fake, fake), Answer::GoAhead);
    const Calls prompt = {L"FindWindowA XLMAIN", L"Show ExitExcel modal owner Form1", L"Tag ExitExcel",
                          L"Unload ExitExcel"};
    Calls expected;
    for (int round = 0; round < 3; ++round) expected.insert(expected.end(), prompt.begin(), prompt.end());
    expected.push_back(L"FindWindowA XLMAIN");
    EXPECT_EQ(fake.journal.Calls(), expected);
}

TEST(ExcelGuard, NoExcelNoQuestionAndCancelStopsAtOnce) {
    FakePlatform quiet{MachineState{}};
    EXPECT_EQ(PassExcelGuard(quiet, quiet), Answer::GoAhead);
    EXPECT_EQ(quiet.journal.Calls(), (Calls{L"FindWindowA XLMAIN"}));

    MachineState running;
    running.excelWindowLooks = {true, true};
    running.answers[Form::ExitExcel] = {UserAction::ClickCancel};
    FakePlatform cancelled(running);
    EXPECT_EQ(PassExcelGuard(cancelled, cancelled), Answer::Cancel);
    EXPECT_EQ(cancelled.journal.Calls().back(), L"Unload ExitExcel");
}

// Another program's automation Excel, or one still closing, has no window on screen: the user
// could not close it. A minimised one is on the taskbar, and counts.
TEST(ExcelGuard, AsksOnlyAboutAWindowTheUserCanSee) {
    using enum WindowShown;
    const struct {
        std::vector<WindowShown> windows;
        bool asks;
    } cases[] = {{{Hidden}, false}, {{Hidden, Hidden}, false}, {{Minimised}, true}, {{Hidden, OnScreen}, true}};
    for (const auto& c : cases) {
        MachineState state;
        state.otherExcelWindows = c.windows;
        state.answers[Form::ExitExcel] = {UserAction::ClickCancel};
        FakePlatform fake(state);
        EXPECT_EQ(PassExcelGuard(fake, fake), c.asks ? Answer::Cancel : Answer::GoAhead) << c.windows.size();
    }
}

TEST(SettlePause, LastsOneSecondAndHandlesEventsAsTheyCome) {
    FakePlatform fake{MachineState{}};
    fake.journal.clock = 5000ms;
    fake.pendingEvents = {5100ms, 5450ms, 5999ms, 6100ms};
    SettlePause(fake);
    EXPECT_EQ(fake.journal.clock, 6000ms);
    EXPECT_EQ(fake.handledEvents, (std::vector<std::chrono::milliseconds>{5100ms, 5450ms, 5999ms}));
    // One wait per event and one to the deadline: the pause waits, it does not spin.
    EXPECT_EQ(fake.pumpCalls, 4);
}

TEST(ShowProgress, ShowsModelessOwnedByForm1ThenPausesBeforeReturning) {
    FakePlatform fake{MachineState{}};
    ShowProgress(fake, Form::Copying);
    EXPECT_EQ(fake.journal.Calls(), (Calls{L"Show Copying modeless owner Form1"}));
    EXPECT_EQ(fake.journal.clock, 1000ms);
}

}  // namespace
}  // namespace qh
