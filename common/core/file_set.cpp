#include "core/file_set.h"

#include "core/setup_error.h"

namespace qh {
namespace {

// Every path is a folder and a fragment that begins with a backslash; no other separator logic.
std::wstring InFolder(const std::wstring& folder, std::wstring_view fileName) {
    return folder + L"\\" + std::wstring(fileName);
}

std::wstring HelpFolderOf(const std::wstring& windowsFolder) { return windowsFolder + L"\\Help"; }

}  // namespace

void RequireFolder(const std::wstring& normalisedFolder, Activity finding) {
    if (normalisedFolder.empty()) {
        SetupError failure(L"Find the folder", {}, 0, L"The system gave an empty folder path");
        failure.SetKind(FailureKind::NoFolder);
        failure.SetDoing({finding, {}, {}});
        throw failure;
    }
}

std::array<CopyStep, 3> InstallCopies(const std::wstring& installerFolder, const std::wstring& excelStartupFolder,
                                      const std::wstring& windowsFolder) {
    // Folder targets end in a backslash: each copy keeps its name.
    const std::wstring startupTarget = excelStartupFolder + L"\\";
    const auto installed = InstalledFiles(excelStartupFolder, windowsFolder);
    return {{
        {InFolder(installerFolder, kMacroWorkbook), startupTarget, installed[0], Activity::CopyingIntoStartupFolder},
        {InFolder(installerFolder, kAddInWorkbook), startupTarget, installed[1], Activity::CopyingIntoStartupFolder},
        HelpFileCopy(installerFolder, windowsFolder),
    }};
}

CopyStep HelpFileCopy(const std::wstring& installerFolder, const std::wstring& windowsFolder) {
    return {InFolder(installerFolder, kHelpFile), HelpFolderOf(windowsFolder) + L"\\", InstalledHelpFile(windowsFolder),
            Activity::CopyingIntoHelpFolder};
}

std::wstring InstalledHelpFile(const std::wstring& windowsFolder) {
    return InFolder(HelpFolderOf(windowsFolder), kHelpFile);
}

std::array<std::wstring, 3> InstalledFiles(const std::wstring& excelStartupFolder, const std::wstring& windowsFolder) {
    return {
        InFolder(excelStartupFolder, kMacroWorkbook),
        InFolder(excelStartupFolder, kAddInWorkbook),
        InstalledHelpFile(windowsFolder),
    };
}

}  // namespace qh
