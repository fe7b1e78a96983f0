#include "core/excel_instance.h"

#include <algorithm>
#include <exception>

#include "core/event_pump.h"
#include "core/excel_guard.h"
#include "core/setup_error.h"

namespace qh {
namespace {

struct CallOutcome {
    Value value;
    std::exception_ptr failure;
};

bool IsRefusal(std::int32_t code) { return code == kCallRejected || code == kRetryLater; }

bool IsExcelUnanswered(FailureKind kind) { return kind == FailureKind::ExcelBusy || kind == FailureKind::ExcelSilent; }

// What came of giving up on the Excel this run started: the process held since Excel named its
// window, or those of the start note. A process of the note that shows a window may be the user's
// own Excel, started meanwhile: it is taken for the run's only when none was ended in its place.
struct GivenUp {
    bool waitsForItsUser = false;
    std::wstring aftermath;  // in the report's words
};

GivenUp WhatCameOf(const std::vector<Ending>& endings, bool held) {
    const auto count = [&](Ending ending) { return std::count(endings.begin(), endings.end(), ending); };
    GivenUp givenUp;
    givenUp.waitsForItsUser = count(Ending::ShowsWindow) > 0 && count(Ending::Ended) == 0;
    std::wstring& words = givenUp.aftermath;
    const auto say = [&words](const std::wstring& sentence) { words += (words.empty() ? L"" : L" ") + sentence; };
    if (held && count(Ending::Ended) > 0) say(L"The Excel this program had started was ended.");
    if (held && count(Ending::AlreadyGone) > 0) say(L"The Excel this program had started had already ended.");
    if (!held && count(Ending::Ended) == 1) {
        say(L"The Excel process started for this program, which showed no window, was ended.");
    } else if (!held && count(Ending::Ended) > 1) {
        say(std::to_wstring(count(Ending::Ended)) +
            L" Excel processes started for this program, which showed no window, were ended.");
    }
    if (givenUp.waitsForItsUser) say(L"It was left running, for you to answer.");
    if (count(Ending::Refused) > 0) say(L"Windows would not let this program end the Excel it had started.");
    if (words.empty()) say(L"No Excel this program had started was found running.");
    return givenUp;
}

}  // namespace

ExcelInstance::ExcelInstance(Platform& platform)
    : platform_(platform), startNote_(platform.processes, kExcelProgramId) {
    try {
        Create();
        HoldOwnProcess();
    } catch (...) {
        Release();
        throw;
    }
}

void ExcelInstance::Create() {
    DoStep({Activity::StartingExcel, {}, {}}, [this] {
        try {
            CallOnce(
                L"Start " + std::wstring(kExcelProgramId),
                [&objects = platform_.objects](Remote& remote) {
                    remote.excel = objects.CreateObject(kExcelProgramId);
                    return Value{};
                },
                platform_.forms.Now() + kExcelAnswerTime);
        } catch (SetupError& failure) {
            if (givenUp_) throw;  // it did not answer and was given up on already
            // Whatever the system answered, busy apart, Excel did not start. A process it started
            // for the request may still come up, hidden, with nobody to make it quit.
            if (!IsExcelUnanswered(failure.Kind())) failure.SetKind(FailureKind::ExcelCannotStart);
            GiveUpOn(failure);
            throw;
        }
    });
}

void ExcelInstance::HoldOwnProcess() {
    try {
        const std::int32_t window =
            AsNumber(CallUntilAnswered(Activity::StartingExcel, L"Hwnd",
                                       [](Remote& remote) { return remote.excel->Get(L"Hwnd"); }),
                     L"Hwnd");
        ownProcess_ = platform_.processes.HoldOwnerOf(window, kExcelWindowClass);
    } catch (const SetupError& failure) {
        // A server that does not name its window is known by the start note instead.
        if (failure.Code() != kUnknownName) throw;
    }
}

std::wstring ExcelInstance::StartupPath() {
    return AsText(CallUntilAnswered(Activity::ReadingStartupFolder, L"StartupPath",
                                    [](Remote& remote) { return remote.excel->Get(L"StartupPath"); }),
                  L"StartupPath");
}

void ExcelInstance::Quit() {
    quitSent_ = true;
    CallUntilAnswered(Activity::QuittingExcel, L"Quit", [](Remote& remote) { return remote.excel->Call(L"Quit"); });
}

void ExcelInstance::Release() noexcept {
    if (released_) return;
    released_ = true;
    try {
        if (!quitSent_ && !givenUp_ && remote_->excel) Quit();
    } catch (...) {
        // The failure that brought us here is the one to report.
    }
    try {
        auto deadline = platform_.forms.Now() + kEndedExcelGrace;
        // A call still on its way (a Quit that a failing window cut short) is an Excel that does
        // not answer; left so, it would run on hidden. Once it has gone, the call fails at once.
        if (!WaitForCallThread(deadline) && !givenUp_) {
            EndOwnExcel();
            deadline = platform_.forms.Now() + kEndedExcelGrace;
        }
        // The object belongs to the call thread. While a call that never came back holds that
        // thread, the object stays with it.
        if (remote_->excel && WaitForCallThread(deadline)) {
            platform_.excelCalls.Start([remote = remote_] { remote->excel.reset(); });
            WaitForCallThread(deadline);
        }
    } catch (...) {
        // As above; a wait cut short leaves a call that may never come back.
        if (!givenUp_ && !platform_.excelCalls.Returned()) EndOwnExcelQuietly();
    }
    // Let go, it ends in a moment, and the run waits for that once its windows are gone.
    if (!givenUp_ && ownProcess_) platform_.closingExcel.Hold(std::move(ownProcess_));
}

Value ExcelInstance::CallUntilAnswered(Activity activity, std::wstring_view step, const Step& call) {
    return DoStep({activity, {}, {}}, [&]() -> Value {
        FormsRuntime& forms = platform_.forms;
        const auto deadline = forms.Now() + kExcelAnswerTime;
        for (;;) {
            try {
                return CallOnce(step, call, deadline);
            } catch (const SetupError& failure) {
                if (givenUp_ || !IsRefusal(failure.Code())) throw;
                if (forms.Now() + kBusyRetryPause >= deadline) GiveUp(step, failure.Code(), failure.Description());
            }
            HandleEventsUntil(forms, forms.Now() + kBusyRetryPause, [] { return false; });
        }
    });
}

Value ExcelInstance::CallOnce(std::wstring_view step, const Step& call,
                              std::chrono::steady_clock::time_point deadline) {
    const auto giveUp = [&] { GiveUp(step, kNoAnswer, L"No answer in time"); };
    // A call cut short by a failure in a window may still be on its way.
    if (!WaitForCallThread(deadline)) giveUp();
    auto outcome = std::make_shared<CallOutcome>();
    platform_.excelCalls.Start([outcome, remote = remote_, call] {
        try {
            outcome->value = call(*remote);
        } catch (...) {
            outcome->failure = std::current_exception();
        }
    });
    if (!WaitForCallThread(deadline)) giveUp();
    if (outcome->failure) std::rethrow_exception(outcome->failure);
    return std::move(outcome->value);
}

bool ExcelInstance::WaitForCallThread(std::chrono::steady_clock::time_point deadline) {
    return HandleEventsUntil(platform_.forms, deadline, [this] { return platform_.excelCalls.Returned(); });
}

std::vector<Ending> ExcelInstance::EndOwnExcel() {
    givenUp_ = true;
    if (ownProcess_) return {ownProcess_->EndIfHidden()};
    return startNote_.EndStartedSince();
}

void ExcelInstance::EndOwnExcelQuietly() noexcept {
    try {
        EndOwnExcel();
    } catch (...) {
        // Only the words for the report failed.
    }
}

void ExcelInstance::GiveUpOn(SetupError& failure) {
    const bool held = ownProcess_ != nullptr;
    GivenUp givenUp = WhatCameOf(EndOwnExcel(), held);
    if (givenUp.waitsForItsUser) failure.SetKind(FailureKind::ExcelWaiting);
    failure.SetAftermath(std::move(givenUp.aftermath));
}

void ExcelInstance::GiveUp(std::wstring_view step, std::int32_t code, std::wstring description) {
    SetupError failure(std::wstring(step), {}, code, std::move(description));
    GiveUpOn(failure);
    // Once its Excel has gone, a call in progress fails at once and frees the call thread.
    WaitForCallThread(platform_.forms.Now() + kEndedExcelGrace);
    throw failure;
}

}  // namespace qh
