#pragma once
// The start-up folder the stand-in reports, and making sure it exists as a real Excel's would.
#include <string>

namespace qh::testing {

// The test's StartupPath setting as it is, or %APPDATA%\Microsoft\Excel\XLSTART.
std::wstring StartupFolderText();

// Creates every missing level of `path` (a trailing backslash and a drive root are fine);
// true when the folder exists afterwards.
bool CreateFolderTree(const std::wstring& path);

}  // namespace qh::testing
