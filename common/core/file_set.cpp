#include "core/file_set.h"

#include "core/setup_error.h"

namespace qh {
namespace {

std::wstring Join(const std::wstring& folder, std::wstring_view fragment) {
    std::wstring path = folder;
    path += fragment;
    return path;
}

std::wstring InFolder(const std::wstring& folder, std::wstring_view fileName) {
    return Join(folder, L"\\") + std::wstring(fileName);
}

}  // namespace

std::wstring NormaliseFolderPath(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ParentFolder(const std::wstring& normalisedFolder) {
    const std::size_t separator = normalisedFolder.rfind(L'\\');
    if (separator == std::wstring::npos) return {};
    std::wstring parent = normalisedFolder.substr(0, separator);
    // What is left of "\\server" or "\share" is no folder.
    if (parent.find_first_not_of(L'\\') == std::wstring::npos) return {};
    return parent;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

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
    const std::wstring startupTarget = Join(excelStartupFolder, L"\\");
    const std::wstring helpTarget = Join(windowsFolder, L"\\Help\\");
    return {{
        {InFolder(installerFolder, kMacroWorkbook), startupTarget, startupTarget + std::wstring(kMacroWorkbook),
         Activity::CopyingIntoStartupFolder},
        {InFolder(installerFolder, kAddInWorkbook), startupTarget, startupTarget + std::wstring(kAddInWorkbook),
         Activity::CopyingIntoStartupFolder},
        {InFolder(installerFolder, kHelpFile), helpTarget, helpTarget + std::wstring(kHelpFile),
         Activity::CopyingIntoHelpFolder},
    }};
}

std::array<std::wstring, 3> InstalledFiles(const std::wstring& excelStartupFolder, const std::wstring& windowsFolder) {
    return {
        InFolder(excelStartupFolder, kMacroWorkbook),
        InFolder(excelStartupFolder, kAddInWorkbook),
        InFolder(Join(windowsFolder, L"\\Help"), kHelpFile),
    };
}

}  // namespace qh
