#pragma once
#include "core/failure_report.h"
#include "core/platform.h"
#include "core/program.h"

namespace qh {

// The uninstaller's run: the confirmation, the Excel guard, a second of progress window, then
// those of the three installed files that exist are deleted. `record` tells what was deleted.
Outcome RunUninstall(Platform& platform, RunRecord& record);

// The help file alone, which is the machine's: Excel is not started and no workbook is touched.
Outcome RemoveHelpFileOnly(Platform& platform, RunRecord& record);

inline constexpr Form kUninstallerForms[] = {Form::Form1, Form::ExitExcel, Form::UnInstall, Form::Deleting};
inline constexpr SetupProgram kUninstaller{Program::Uninstaller, kUninstallerForms, RunUninstall, RemoveHelpFileOnly};

}  // namespace qh
