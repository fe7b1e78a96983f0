#pragma once
// What both programs do to one file, each step kept for the report and written to the log.
#include <string>

#include "core/failure_report.h"
#include "core/file_set.h"
#include "core/file_system.h"
#include "core/help_file_step.h"
#include "core/platform.h"
#include "core/run_log.h"

namespace qh {

// Copies the file into place and makes the copy the kit's own.
void InstallFile(FileSystemObject& fileSystem, const CopyStep& copy, RunRecord& record, RunLog& log);

// Removes an installed file; one that is not there is left so.
void RemoveInstalledFile(FileSystemObject& fileSystem, const std::wstring& installedFile, RunRecord& record,
                         RunLog& log);

// The help file's copy and its removal, which Windows may refuse this account: done then by the
// program started again as an administrator, or left to one (DoHelpFileStep). The copy goes into a
// folder every user reads, made by an administrator's process or another account's run from a
// medium a user may change: it is made from one opening of its source (FileSystemObject::CopyHeld).
// The removal asks for an administrator only when the help file is there.
HelpFileStep InstallHelpFile(Platform& platform, FileSystemObject& fileSystem, const CopyStep& copy, RunRecord& record);
HelpFileStep RemoveHelpFile(Platform& platform, FileSystemObject& fileSystem, const std::wstring& installedFile,
                            RunRecord& record);

}  // namespace qh
