#include "forms/program_folder.h"

#include <windows.h>

#include "win32/win32_error.h"

namespace qh::forms {

std::wstring FolderOfFile(std::wstring_view filePath) {
    const std::size_t lastSeparator = filePath.find_last_of(L'\\');
    if (lastSeparator == std::wstring_view::npos) return std::wstring(filePath);
    std::wstring folder(filePath.substr(0, lastSeparator));
    // A drive root keeps its backslash: "E:" alone would mean the drive's current folder.
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

std::wstring RunningProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) win32::ThrowLastError(L"GetModuleFileNameW");
        // A full buffer means the path was cut short.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace qh::forms
