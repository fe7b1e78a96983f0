#pragma once
// The add-in's three files, the folders they go to, and how their paths are formed.
#include <array>
#include <string>
#include <string_view>

#include "core/paths.h"
#include "core/setup_error.h"

namespace qh {

inline constexpr std::wstring_view kMacroWorkbook = L"QZ Macro.xls";
inline constexpr std::wstring_view kAddInWorkbook = L"QZ Function.xla";
inline constexpr std::wstring_view kHelpFile = L"QuenzoHalvorn.chm";
inline constexpr std::array<std::wstring_view, 3> kAddInFiles = {kMacroWorkbook, kAddInWorkbook, kHelpFile};

// A folder path that would put files at the root of the current drive ("\QZ Macro.xls") is refused:
// throws SetupError, saying that the program was `finding` the folder, when it is empty.
void RequireFolder(const std::wstring& normalisedFolder, Activity finding);

struct CopyStep {
    std::wstring source;         // a file
    std::wstring destination;    // a folder, ending in a backslash: the copy keeps its name
    std::wstring installedFile;  // where the copy lands
    Activity activity;           // the copy into which folder, as a report says it
};

// The installer's copies, in order: the two workbooks into Excel's start-up folder, the help file
// into the Windows folder's Help folder. Folders are normalised ones.
std::array<CopyStep, 3> InstallCopies(const std::wstring& installerFolder, const std::wstring& excelStartupFolder,
                                      const std::wstring& windowsFolder);

// The help file alone: it belongs to the machine, not to one user's Excel.
CopyStep HelpFileCopy(const std::wstring& installerFolder, const std::wstring& windowsFolder);
std::wstring InstalledHelpFile(const std::wstring& windowsFolder);

// The installed files, in the order the uninstaller removes them.
std::array<std::wstring, 3> InstalledFiles(const std::wstring& excelStartupFolder, const std::wstring& windowsFolder);

}  // namespace qh
