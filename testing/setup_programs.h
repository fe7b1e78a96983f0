#pragma once
// What the tools and tests that drive the two programs from outside know of them: their file
// names on the medium, and the client sizes and texts their windows are told apart by.
#include <windows.h>

namespace qh::testing {

inline constexpr wchar_t kInstallerFile[] = L"QuenzoHalvornInstall.exe";
inline constexpr wchar_t kUninstallerFile[] = L"QuenzoHalvornUnInstall.exe";

inline constexpr SIZE kStartupWindowSize{231, 59};    // Form1
inline constexpr SIZE kProgressWindowSize{487, 187};  // Copying, Deleting
inline constexpr SIZE kQuestionWindowSize{487, 205};  // ExitExcel, UnInstall

// What identifies each window: a text only it shows.
inline constexpr wchar_t kExitExcelText[] = L"Please close Excel!\r\n";
inline constexpr wchar_t kCopyingText[] = L"Copying files, please wait...\r\n";
inline constexpr wchar_t kDeletingText[] = L"Deleting files, please \r\nwait...\r\n";
inline constexpr wchar_t kUnInstallText[] =
    L"Uninstall Quenzo Halvorn! Caution: if you \r\ninstalled the Quenzo menu, you need to first \r\nrun macro "
    L"DeleteQuenzoFromToolsMenu.\r\n";

}  // namespace qh::testing
