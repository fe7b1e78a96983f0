#include "install/install_sequence.h"

#include "core/dialog.h"
#include "core/excel_guard.h"
#include "core/excel_instance.h"
#include "core/file_set.h"
#include "core/file_system.h"

namespace qh {

Outcome RunInstall(Platform& platform, RunRecord& record) {
    FormsRuntime& forms = platform.forms;
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);

    if (PassExcelGuard(platform.windows, forms) == Answer::Cancel) {
        forms.End();
        return Outcome::Cancelled;
    }

    ExcelInstance excel(platform.objects);
    FileSystemObject fileSystem(platform.objects);

    std::wstring excelStartupFolder = excel.StartupPath();
    std::wstring installerFolder = forms.ProgramFolder();
    AutomationPtr windowsFolderObject = fileSystem.GetSpecialFolder(kWindowsFolder);
    std::wstring windowsFolder = FolderPath(*windowsFolderObject);

    excelStartupFolder = NormaliseFolderPath(std::move(excelStartupFolder));
    installerFolder = NormaliseFolderPath(std::move(installerFolder));
    windowsFolder = NormaliseFolderPath(std::move(windowsFolder));
    RequireFolder(excelStartupFolder, L"Excel start-up folder");
    RequireFolder(installerFolder, L"installer's own folder");
    RequireFolder(windowsFolder, L"Windows folder");

    ShowProgress(forms, Form::Copying);

    for (const CopyStep& copy : InstallCopies(installerFolder, excelStartupFolder, windowsFolder)) {
        fileSystem.CopyFile(copy.source, copy.destination, /*overwrite=*/true);
        record.filesCopied.push_back(copy.installedFile);
    }

    excel.Quit();
    excel.Release();
    windowsFolderObject.reset();
    fileSystem.Release();

    forms.Unload(Form::Copying);
    forms.End();
    return Outcome::Completed;
}

}  // namespace qh
