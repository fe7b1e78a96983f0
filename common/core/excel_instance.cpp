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

// The refusal code when the failure is Excel refusing a call because it is busy; else rethrows it.
std::int32_t RefusalOrRethrow(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const SetupError& error) {
        if (error.Code() == kCallRejected || error.Code() == kRetryLater) return error.Code();
        throw;
    }
}

}  // namespace

ExcelInstance::ExcelInstance(Platform& platform) : platform_(platform) {
    try {
        Answer(Activity::StartingExcel, L"Start " + std::wstring(kExcelProgramId),
               [&objects = platform.objects](Remote& remote) {
                   remote.excel = objects.CreateObject(kExcelProgramId);
                   return Value{};
               });
    } catch (SetupError& failure) {
        // Whatever the system answered, Excel did not start.
        if (failure.Kind() != FailureKind::ExcelBusy && failure.Kind() != FailureKind::ExcelSilent) {
            failure.SetKind(FailureKind::ExcelCannotStart);
            // An Excel that came up too late for the system to hand it over runs on, hidden, and
            // nobody would ever make it quit.
            platform_.windows.EndOwnersOfHiddenWindows(kExcelWindowClass);
        }
        Release();
        throw;
    } catch (...) {
        Release();
        throw;
    }
}

std::wstring ExcelInstance::StartupPath() {
    return AsText(Answer(Activity::ReadingStartupFolder, L"StartupPath",
                         [](Remote& remote) { return remote.excel->Get(L"StartupPath"); }),
                  L"StartupPath");
}

void ExcelInstance::Quit() {
    quitSent_ = true;
    Answer(Activity::QuittingExcel, L"Quit", [](Remote& remote) { return remote.excel->Call(L"Quit"); });
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
        // The object belongs to the call thread. While a call that never came back holds that
        // thread, the object stays with it.
        const auto deadline = platform_.forms.Now() + kEndedExcelGrace;
        if (remote_->excel && WaitForCallThread(deadline)) {
            platform_.excelCalls.Start([remote = remote_] { remote->excel.reset(); });
            WaitForCallThread(deadline);
        }
    } catch (...) {
        // As above.
    }
}

Value ExcelInstance::Answer(Activity activity, std::wstring_view step, const Step& call) {
    return While({activity, {}, {}}, [&] { return TryAnswer(step, call); });
}

Value ExcelInstance::TryAnswer(std::wstring_view step, const Step& call) {
    FormsRuntime& forms = platform_.forms;
    const auto deadline = forms.Now() + kExcelAnswerTime;
    for (;;) {
        // A call cut short by a failure in a window may still be on its way.
        if (!WaitForCallThread(deadline)) GiveUp(step, kNoAnswer);
        auto outcome = std::make_shared<CallOutcome>();
        platform_.excelCalls.Start([outcome, remote = remote_, call] {
            try {
                outcome->value = call(*remote);
            } catch (...) {
                outcome->failure = std::current_exception();
            }
        });
        if (!WaitForCallThread(deadline)) GiveUp(step, kNoAnswer);
        if (!outcome->failure) return std::move(outcome->value);

        const std::int32_t refusal = RefusalOrRethrow(outcome->failure);
        if (forms.Now() + kBusyRetryPause >= deadline) GiveUp(step, refusal);
        HandleEventsUntil(forms, forms.Now() + kBusyRetryPause, [] { return false; });
    }
}

bool ExcelInstance::WaitForCallThread(std::chrono::steady_clock::time_point deadline) {
    return HandleEventsUntil(platform_.forms, deadline, [this] { return platform_.excelCalls.Returned(); });
}

void ExcelInstance::GiveUp(std::wstring_view step, std::int32_t code) {
    ended_ = true;
    const int ended = platform_.windows.EndOwnersOfHiddenWindows(kExcelWindowClass);
    // Once its Excel has gone, a call in progress fails at once and frees the call thread.
    WaitForCallThread(platform_.forms.Now() + kEndedExcelGrace);
    throw SetupError(std::wstring(step), {}, code,
                     ended > 0 ? L"The hidden Excel this program had started was ended."
                               : L"No hidden Excel was found to end.");
}

}  // namespace qh
