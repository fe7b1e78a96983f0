#pragma once
// The Excel a run started, once told to quit and let go. It takes a moment to end (seconds, with
// add-ins more), its hidden window still there; a script that runs the uninstaller and then the
// installer would start the second run beside it. The run waits for it as its very last step,
// once its windows are gone, so that nobody watches a longer run and the next run never meets it.
#include <chrono>
#include <memory>

#include "core/forms.h"
#include "core/processes.h"
#include "core/run_log.h"

namespace qh {

inline constexpr std::chrono::seconds kExcelEndTime{10};

class ClosingExcel {
public:
    void Hold(std::unique_ptr<HeldProcess> process) noexcept { process_ = std::move(process); }
    // Waits until it has ended, kExcelEndTime at most, window events handled meanwhile; then ends
    // it, unless it shows a window of its own (the user's to answer). The log says what was done.
    void WaitUntilEnded(FormsRuntime& forms, RunLog& log) noexcept;

private:
    std::unique_ptr<HeldProcess> process_;
};

}  // namespace qh
