#include "uninstall/uninstall_sequence.h"

#include "core/dialog.h"
#include "core/progress_window.h"
#include "core/excel_guard.h"
#include "core/excel_instance.h"
#include "core/file_set.h"
#include "core/file_steps.h"
#include "core/file_system.h"

namespace qh {
namespace {

// What the uninstaller holds while it works. Whether the run completes or fails, they go in this
// order: Excel (made to quit first), the file-system object, the Windows folder object.
struct UninstallerObjects {
    ExcelInstance excel;
    FileSystemObject fileSystem;
    AutomationPtr windowsFolderObject;

    ~UninstallerObjects() {
        excel.Release();
        fileSystem.Release();
        windowsFolderObject.reset();
    }
};

}  // namespace

Outcome RemoveHelpFileOnly(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    ShowProgress(forms, Form::Deleting);
    HelpFileStep helpFile = HelpFileStep::Done;
    {
        FileSystemObject fileSystem(platform.objects, platform.files);
        AutomationPtr windowsFolderObject = fileSystem.WindowsFolderObject();
        const std::wstring windowsFolder = NormaliseFolderPath(FolderPath(*windowsFolderObject));
        RequireFolder(windowsFolder, Activity::FindingWindowsFolder);
        helpFile = RemoveHelpFile(platform, fileSystem, InstalledHelpFile(windowsFolder), record);
        fileSystem.Release();
    }
    forms.Unload(Form::Deleting);
    return EndRun(forms, OutcomeOf(helpFile, Outcome::HelpFileOnly));
}

Outcome RunUninstall(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);

    if (Ask(forms, Form::UnInstall, CloseBox::Cancels) == Answer::Cancel) return EndRun(forms, Outcome::Cancelled);
    if (!RunsAsSignedInUser(platform.accounts.Context())) return RemoveHelpFileOnly(platform, record);
    if (PassExcelGuard(platform.windows, forms) == Answer::Cancel) return EndRun(forms, Outcome::Cancelled);

    // Unlike the installer, the progress window comes before Excel and the file-system object.
    ShowProgress(forms, Form::Deleting);

    HelpFileStep helpFile = HelpFileStep::Done;
    {
        UninstallerObjects held{ExcelInstance(platform), FileSystemObject(platform.objects, platform.files), nullptr};
        platform.log.Step(L"Excel started");

        held.windowsFolderObject = held.fileSystem.WindowsFolderObject();
        std::wstring windowsFolder = FolderPath(*held.windowsFolderObject);
        std::wstring excelStartupFolder = held.excel.StartupPath();

        excelStartupFolder = NormaliseFolderPath(std::move(excelStartupFolder));
        windowsFolder = NormaliseFolderPath(std::move(windowsFolder));
        RequireFolder(excelStartupFolder, Activity::ReadingStartupFolder);
        RequireFolder(windowsFolder, Activity::FindingWindowsFolder);
        platform.log.Step(L"Excel's start-up folder: " + excelStartupFolder);
        platform.log.Step(L"Windows folder: " + windowsFolder);

        for (const std::wstring& installedFile : InstalledFiles(excelStartupFolder, windowsFolder)) {
            if (installedFile == InstalledHelpFile(windowsFolder)) {
                helpFile = RemoveHelpFile(platform, held.fileSystem, installedFile, record);
            } else {
                RemoveInstalledFile(held.fileSystem, installedFile, record, platform.log);
            }
        }

        held.excel.Quit();
        platform.log.Step(L"Excel told to quit");
    }

    forms.Unload(Form::Deleting);
    return EndRun(forms, OutcomeOf(helpFile, Outcome::Completed));
}

}  // namespace qh
