#pragma once
#include "core/failure_report.h"
#include "core/platform.h"
#include "core/program.h"

namespace qh {

// The installer's run: the Excel guard, the three folders, a second of progress window, the
// three copies, and Excel's own instance made to quit. `record` tells what was copied.
Outcome RunInstall(Platform& platform, RunRecord& record);

// The help file alone, which is the machine's: Excel is not started and no workbook is touched.
Outcome InstallHelpFileOnly(Platform& platform, RunRecord& record);

inline constexpr Form kInstallerForms[] = {Form::Form1, Form::ExitExcel, Form::Copying};
inline constexpr SetupProgram kInstaller{Program::Installer, kInstallerForms, RunInstall, InstallHelpFileOnly};

}  // namespace qh
