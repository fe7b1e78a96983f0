#include "uninstall/uninstall_sequence.h"

#include "core/dialog.h"
#include "core/excel_guard.h"
#include "core/excel_instance.h"
#include "core/file_set.h"
#include "core/file_system.h"

namespace qh {

Outcome RunUninstall(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);

    if (Ask(forms, Form::UnInstall, CloseBox::Cancels) == Answer::Cancel ||
        PassExcelGuard(platform.windows, forms) == Answer::Cancel) {
        forms.End();
        return Outcome::Cancelled;
    }

    // Unlike the installer, the progress window comes before Excel and the file-system object.
    ShowProgress(forms, Form::Deleting);

    ExcelInstance excel(platform.objects);
    FileSystemObject fileSystem(platform.objects);

    AutomationPtr windowsFolderObject = fileSystem.GetSpecialFolder(kWindowsFolder);
    std::wstring windowsFolder = FolderPath(*windowsFolderObject);
    std::wstring excelStartupFolder = excel.StartupPath();

    excelStartupFolder = NormaliseFolderPath(std::move(excelStartupFolder));
    windowsFolder = NormaliseFolderPath(std::move(windowsFolder));
    RequireFolder(excelStartupFolder, L"Excel start-up folder");
    RequireFolder(windowsFolder, L"Windows folder");

    for (const std::wstring& installedFile : InstalledFiles(excelStartupFolder, windowsFolder)) {
        if (fileSystem.FileExists(installedFile)) {
            fileSystem.DeleteFile(installedFile);
            record.filesDeleted.push_back(installedFile);
        }
    }

    excel.Quit();
    excel.Release();
    fileSystem.Release();
    windowsFolderObject.reset();

    forms.Unload(Form::Deleting);
    forms.End();
    return Outcome::Completed;
}

}  // namespace qh
