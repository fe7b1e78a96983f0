#include "core/file_steps.h"

namespace qh {

namespace {

// Recorded before it is made the kit's own: a failure there leaves the copy in place.
void MakeInstalled(FileSystemObject& fileSystem, const CopyStep& copy, RunRecord& record, RunLog& log) {
    record.filesCopied.push_back(copy.installedFile);
    fileSystem.MakeInstalled(copy);
    log.Step(L"Copied " + copy.source + L" to " + copy.installedFile);
}

}  // namespace

void InstallFile(FileSystemObject& fileSystem, const CopyStep& copy, RunRecord& record, RunLog& log) {
    fileSystem.CopyFile(copy);
    MakeInstalled(fileSystem, copy, record, log);
}

void RemoveInstalledFile(FileSystemObject& fileSystem, const std::wstring& installedFile, RunRecord& record,
                         RunLog& log) {
    if (!fileSystem.FileExists(installedFile)) {
        log.Step(L"Not installed, so not removed: " + installedFile);
        return;
    }
    fileSystem.DeleteFile(installedFile);
    record.filesDeleted.push_back(installedFile);
    log.Step(L"Removed " + installedFile);
}

HelpFileStep InstallHelpFile(Platform& platform, FileSystemObject& fileSystem, const CopyStep& copy,
                             RunRecord& record) {
    // Held from before the step: a medium this account may not read is not the Help folder's
    // refusal, and the administrator's copy opens it too, for reading alone.
    const std::unique_ptr<HeldSource> source = fileSystem.HoldSource(copy);
    const HelpFileStep step = DoHelpFileStep(platform, Form::Copying, copy.installedFile, record, [&] {
        fileSystem.CopyHeld(*source, copy, platform.log);
        MakeInstalled(fileSystem, copy, record, platform.log);
    });
    if (step == HelpFileStep::DoneByAdministrator) {
        record.filesCopied.push_back(copy.installedFile);
        platform.log.Step(L"Copied " + copy.source + L" to " + copy.installedFile + L", as an administrator");
    }
    return step;
}

HelpFileStep RemoveHelpFile(Platform& platform, FileSystemObject& fileSystem, const std::wstring& installedFile,
                            RunRecord& record) {
    const HelpFileStep step = DoHelpFileStep(platform, Form::Deleting, installedFile, record, [&] {
        RemoveInstalledFile(fileSystem, installedFile, record, platform.log);
    });
    if (step == HelpFileStep::DoneByAdministrator) {
        record.filesDeleted.push_back(installedFile);
        platform.log.Step(L"Removed " + installedFile + L", as an administrator");
    }
    return step;
}

}  // namespace qh
