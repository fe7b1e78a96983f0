#pragma once
// What both programs do to one file, each step kept for the report and written to the log.
#include <string>

#include "core/failure_report.h"
#include "core/file_set.h"
#include "core/file_system.h"
#include "core/run_log.h"

namespace qh {

// Copies the file into place and makes the copy the kit's own.
void InstallFile(FileSystemObject& fileSystem, const CopyStep& copy, RunRecord& record, RunLog& log);

// Removes an installed file; one that is not there is left so.
void RemoveInstalledFile(FileSystemObject& fileSystem, const std::wstring& installedFile, RunRecord& record,
                         RunLog& log);

}  // namespace qh
