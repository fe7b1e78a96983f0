#pragma once
// What the test tools that drive the two programs from outside (the demo and the bench) know of
// them: their file names on the medium and the client sizes their windows are told apart by.
#include <windows.h>

namespace qh::testing {

inline constexpr wchar_t kInstallerFile[] = L"QuenzoHalvornInstall.exe";
inline constexpr wchar_t kUninstallerFile[] = L"QuenzoHalvornUnInstall.exe";

inline constexpr SIZE kStartupWindowSize{231, 59};    // Form1
inline constexpr SIZE kProgressWindowSize{487, 187};  // Copying, Deleting
inline constexpr SIZE kQuestionWindowSize{487, 205};  // ExitExcel, UnInstall

}  // namespace qh::testing
