#include "core/excel_instance.h"

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
            if (ended_) throw;  // it did not answer and was ended already
            // Whatever the system answered, busy apart, Excel did not start. A process it started
            // for the request may still come up, hidden, with nobody to make it quit.
            if (!IsExcelUnanswered(failure.Kind())) failure.SetKind(FailureKind::ExcelCannotStart);
            failure.SetAftermath(EndOwnExcel());
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
        if (!quitSent_ && !ended_ && remote_->excel) Quit();
    } catch (...) {
        // The failure that brought us here is the one to report.
    }
    try {
        auto deadline = platform_.forms.Now() + kEndedExcelGrace;
        // A call still on its way (a Quit that a failing window cut short) is an Excel that does
        // not answer; left so, it would run on hidden. Once it has gone, the call fails at once.
        if (!WaitForCallThread(deadline) && !ended_) {
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
        if (!ended_ && !platform_.excelCalls.Returned()) EndOwnExcelQuietly();
    }
}

Value ExcelInstance::CallUntilAnswered(Activity activity, std::wstring_view step, const Step& call) {
    return DoStep({activity, {}, {}}, [&]() -> Value {
        FormsRuntime& forms = platform_.forms;
        const auto deadline = forms.Now() + kExcelAnswerTime;
        for (;;) {
            try {
                return CallOnce(step, call, deadline);
            } catch (const SetupError& failure) {
                if (ended_ || !IsRefusal(failure.Code())) throw;
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

std::wstring ExcelInstance::EndOwnExcel() {
    ended_ = true;
    if (ownProcess_) {
        return ownProcess_->End() ? L"The Excel this program had started was ended."
                                  : L"The Excel this program had started had already ended.";
    }
    switch (const int ended = startNote_.EndStartedSince()) {
        case 0: return L"No Excel this program had started was found running.";
        case 1: return L"The Excel process started for this program, which showed no window, was ended.";
        default:
            return std::to_wstring(ended) +
                   L" Excel processes started for this program, which showed no window, were ended.";
    }
}

void ExcelInstance::EndOwnExcelQuietly() noexcept {
    try {
        EndOwnExcel();
    } catch (...) {
        // Only the words for the report failed.
    }
}

void ExcelInstance::GiveUp(std::wstring_view step, std::int32_t code, std::wstring description) {
    std::wstring aftermath = EndOwnExcel();
    // Once its Excel has gone, a call in progress fails at once and frees the call thread.
    WaitForCallThread(platform_.forms.Now() + kEndedExcelGrace);
    SetupError failure(std::wstring(step), {}, code, std::move(description));
    failure.SetAftermath(std::move(aftermath));
    throw failure;
}

}  // namespace qh
