#include "install/install_sequence.h"

#include "core/dialog.h"
#include "core/progress_window.h"
#include "core/excel_guard.h"
#include "core/excel_instance.h"
#include "core/file_set.h"
#include "core/file_steps.h"
#include "core/file_system.h"
#include "core/medium_check.h"

namespace qh {
namespace {

// What the installer holds while it works. Whether the run completes or fails, they go in this
// order: Excel (made to quit first), the Windows folder object, the file-system object.
struct InstallerObjects {
    ExcelInstance excel;
    FileSystemObject fileSystem;
    AutomationPtr windowsFolderObject;

    ~InstallerObjects() {
        excel.Release();
        windowsFolderObject.reset();
        fileSystem.Release();
    }
};

}  // namespace

Outcome InstallHelpFileOnly(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    HelpFileStep helpFile = HelpFileStep::Done;
    {
        FileSystemObject fileSystem(platform.objects, platform.files);
        AutomationPtr windowsFolderObject = fileSystem.WindowsFolderObject();
        const std::wstring installerFolder = NormaliseFolderPath(platform.files.ProgramFolder());
        const std::wstring windowsFolder = NormaliseFolderPath(FolderPath(*windowsFolderObject));
        RequireFolder(installerFolder, Activity::FindingInstallerFolder);
        RequireFolder(windowsFolder, Activity::FindingWindowsFolder);

        ShowProgress(forms, Form::Copying);
        // Checked as it is copied: this may be the program started as an administrator, for a file
        // a user could have changed since the run that started it checked it.
        helpFile = InstallHelpFile(platform, fileSystem, HelpFileCopy(installerFolder, windowsFolder), record);
        windowsFolderObject.reset();
    }
    forms.Unload(Form::Copying);
    return EndRun(forms, OutcomeOf(helpFile, Outcome::HelpFileOnly));
}

Outcome RunInstall(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);
    if (!RunsAsSignedInUser(platform.accounts.Context())) return InstallHelpFileOnly(platform, record);
    CheckMedium(platform.files, platform.log, kAddInFiles);

    if (PassExcelGuard(platform.windows, forms) == Answer::Cancel) return EndRun(forms, Outcome::Cancelled);

    HelpFileStep helpFile = HelpFileStep::Done;
    {
        InstallerObjects held{ExcelInstance(platform), FileSystemObject(platform.objects, platform.files), nullptr};
        platform.log.Step(L"Excel started");

        std::wstring excelStartupFolder = held.excel.StartupPath();
        std::wstring installerFolder = platform.files.ProgramFolder();
        held.windowsFolderObject = held.fileSystem.WindowsFolderObject();
        std::wstring windowsFolder = FolderPath(*held.windowsFolderObject);

        excelStartupFolder = NormaliseFolderPath(std::move(excelStartupFolder));
        installerFolder = NormaliseFolderPath(std::move(installerFolder));
        windowsFolder = NormaliseFolderPath(std::move(windowsFolder));
        RequireFolder(excelStartupFolder, Activity::ReadingStartupFolder);
        RequireFolder(installerFolder, Activity::FindingInstallerFolder);
        RequireFolder(windowsFolder, Activity::FindingWindowsFolder);
        platform.log.Step(L"Excel's start-up folder: " + excelStartupFolder);
        platform.log.Step(L"Installer folder: " + installerFolder);
        platform.log.Step(L"Windows folder: " + windowsFolder);

        ShowProgress(forms, Form::Copying);

        // The Windows folder's Help folder is not made: without it the help file is reported.
        for (const std::wstring& folder : MissingFolders(held.fileSystem, excelStartupFolder)) {
            held.fileSystem.CreateFolder(folder);
            record.foldersCreated.push_back(folder);
            platform.log.Step(L"Created the folder " + folder);
        }
        for (const CopyStep& copy : InstallCopies(installerFolder, excelStartupFolder, windowsFolder)) {
            if (copy.activity == Activity::CopyingIntoHelpFolder) {
                helpFile = InstallHelpFile(platform, held.fileSystem, copy, record);
            } else {
                InstallFile(held.fileSystem, copy, record, platform.log);
            }
        }

        held.excel.Quit();
        platform.log.Step(L"Excel told to quit");
    }

    forms.Unload(Form::Copying);
    return EndRun(forms, OutcomeOf(helpFile, Outcome::Completed));
}

}  // namespace qh
