#pragma once
// The scripting file-system object, reached by late binding like every automation object here.
#include <cstdint>
#include <string>

#include "core/automation.h"

namespace qh {

inline constexpr wchar_t kFileSystemProgramId[] = L"Scripting.FileSystemObject";
inline constexpr std::int32_t kWindowsFolder = 0;

class FileSystemObject {
public:
    explicit FileSystemObject(AutomationFactory& objects);

    // The folder object for a special folder; the caller keeps it for the rest of its run.
    AutomationPtr GetSpecialFolder(std::int32_t which);
    void CopyFile(const std::wstring& source, const std::wstring& destination, bool overwrite);
    bool FileExists(const std::wstring& path);
    // Read-only files are not forced.
    void DeleteFile(const std::wstring& path);

    void Release() noexcept;

private:
    AutomationPtr fileSystem_;
};

// The full path of a folder object.
std::wstring FolderPath(AutomationObject& folder);

}  // namespace qh
