#include "core/closing_excel.h"

#include <string>

#include "core/event_pump.h"

namespace qh {

void ClosingExcel::WaitUntilEnded(FormsRuntime& forms, RunLog& log) noexcept {
    if (!process_) return;
    const std::wstring late =
        L"Excel had not ended " + std::to_wstring(kExcelEndTime.count()) + L" s after it was let go";
    try {
        HandleEventsLookingUntil(forms, forms.Now() + kExcelEndTime, [this] { return process_->HasEnded(); });
    } catch (...) {
        // A window failed meanwhile; what is left of the wait is no longer waited for.
    }
    if (process_->HasEnded()) return;
    switch (process_->EndIfHidden()) {
        case Ending::Ended: log.Step(late + L", and was ended"); break;
        case Ending::AlreadyGone: break;
        case Ending::ShowsWindow: log.Step(L"Excel shows a window of its own, and was left running"); break;
        case Ending::Refused: log.Step(late + L", and could not be ended"); break;
    }
    process_.reset();
}

}  // namespace qh
