#pragma once
// Folder and file paths as the system writes them, with backslashes. A normalised folder has no
// trailing backslash, a drive root included ("E:"): every path below it is the folder, a
// backslash and a name.
#include <string>

namespace qh {

// Drops one trailing backslash, and only one: "D:\" becomes "D:", "C:\a\\" becomes "C:\a\".
std::wstring NormaliseFolderPath(std::wstring folder);

// The normalised folder that holds a file or folder: "C:\a\b" gives "C:\a", "E:\Setup.exe" gives
// "E:". Empty when there is none above it ("C:", "\\server").
std::wstring ParentFolder(const std::wstring& path);

// The last part of a path: "C:\a\QZ Macro.xls" gives "QZ Macro.xls" ("/" separates too).
std::wstring FileNameOf(const std::wstring& path);

}  // namespace qh
