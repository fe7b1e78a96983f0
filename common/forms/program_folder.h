#pragma once
// The folder that holds the running program's file.
#include <string>
#include <string_view>

namespace qh::forms {

// The folder part of a full file path, as the system names folders: "C:\Medium" for
// "C:\Medium\Setup.exe", but "E:\" for a file at the root of a drive.
std::wstring FolderOfFile(std::wstring_view filePath);

// The full path of the running program's file, however long.
std::wstring RunningProgramPath();

}  // namespace qh::forms
