#pragma once
// The scripting file-system object, reached by late binding like every automation object here.
#include <cstdint>
#include <string>
#include <vector>

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
    bool FolderExists(const std::wstring& path);
    // Creates one folder; the folder above it must exist.
    void CreateFolder(const std::wstring& path);
    // Read-only files are not forced.
    void DeleteFile(const std::wstring& path);

    void Release() noexcept;

private:
    AutomationPtr fileSystem_;
};

// The full path of a folder object.
std::wstring FolderPath(AutomationObject& folder);

// The folders to create, outermost first, so that `folder` exists: on a fresh profile Excel
// may name a start-up folder that no one has made yet.
std::vector<std::wstring> MissingFolders(FileSystemObject& fileSystem, const std::wstring& folder);

}  // namespace qh
