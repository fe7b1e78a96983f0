#pragma once
#include "core/failure_report.h"
#include "core/platform.h"

namespace qh {

// The uninstaller's run: the confirmation, the Excel guard, a second of progress window, then
// those of the three installed files that exist are deleted. `record` tells what was deleted.
Outcome RunUninstall(Platform& platform, RunRecord& record);

}  // namespace qh
