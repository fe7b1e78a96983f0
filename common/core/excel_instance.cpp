#include "core/excel_instance.h"

#include <exception>

#include "core/event_pump.h"
#include "core/excel_guard.h"
#include "core/setup_error.h"

namespace qh {
namespace {

constexpr wchar_t kStoppedAnswering[] = L"Excel stopped answering: it gave no answer within 60 seconds.";
constexpr wchar_t kStayedBusy[] = L"Excel stayed busy: it refused every call for 60 seconds.";

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
        Answer(L"Start " + std::wstring(kExcelProgramId), [&objects = platform.objects](Remote& remote) {
            remote.excel = objects.CreateObject(kExcelProgramId);
            return Value{};
        });
    } catch (...) {
        Release();
        throw;
    }
}

std::wstring ExcelInstance::StartupPath() {
    return AsText(Answer(L"StartupPath", [](Remote& remote) { return remote.excel->Get(L"StartupPath"); }),
                  L"StartupPath");
}

void ExcelInstance::Quit() {
    quitSent_ = true;
    Answer(L"Quit", [](Remote& remote) { return remote.excel->Call(L"Quit"); });
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

Value ExcelInstance::Answer(std::wstring_view step, const Step& call) {
    FormsRuntime& forms = platform_.forms;
    const auto deadline = forms.Now() + kExcelAnswerTime;
    for (;;) {
        // A call cut short by a failure in a window may still be on its way.
        if (!WaitForCallThread(deadline)) GiveUp(step, kNoAnswer, kStoppedAnswering);
        auto outcome = std::make_shared<CallOutcome>();
        platform_.excelCalls.Start([outcome, remote = remote_, call] {
            try {
                outcome->value = call(*remote);
            } catch (...) {
                outcome->failure = std::current_exception();
            }
        });
        if (!WaitForCallThread(deadline)) GiveUp(step, kNoAnswer, kStoppedAnswering);
        if (!outcome->failure) return std::move(outcome->value);

        const std::int32_t refusal = RefusalOrRethrow(outcome->failure);
        if (forms.Now() + kBusyRetryPause >= deadline) GiveUp(step, refusal, kStayedBusy);
        HandleEventsUntil(forms, forms.Now() + kBusyRetryPause, [] { return false; });
    }
}

bool ExcelInstance::WaitForCallThread(std::chrono::steady_clock::time_point deadline) {
    return HandleEventsUntil(platform_.forms, deadline, [this] { return platform_.excelCalls.Returned(); });
}

void ExcelInstance::GiveUp(std::wstring_view step, std::int32_t code, std::wstring_view why) {
    ended_ = true;
    const int ended = platform_.windows.EndOwnersOfHiddenWindows(kExcelWindowClass);
    std::wstring description(why);
    description += ended > 0 ? L" The Excel this program had started was ended."
                             : L" No hidden Excel was found to end; one may still be running.";
    // Once its Excel has gone, a call in progress fails at once and frees the call thread.
    WaitForCallThread(platform_.forms.Now() + kEndedExcelGrace);
    throw SetupError(std::wstring(step), {}, code, description);
}

}  // namespace qh
