#pragma once
// The scripting file-system object, reached by late binding like every automation object here.
// A failure of one of its calls says what the program was doing and, where that tells more than
// the error number does (a file not on the medium, a read-only file), what kind of failure it was.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/automation.h"
#include "core/file_details.h"
#include "core/file_set.h"
#include "core/run_log.h"
#include "core/setup_error.h"

namespace qh {

inline constexpr wchar_t kFileSystemProgramId[] = L"Scripting.FileSystemObject";

class FileSystemObject {
public:
    // Starts the scripting runtime's object; `files` does what it cannot.
    FileSystemObject(AutomationFactory& objects, FileDetails& files);

    // The Windows folder's object (GetSpecialFolder); the caller keeps it for the rest of its run.
    AutomationPtr WindowsFolderObject();
    // CopyFile(source, destination, True): overwrites an existing copy, even a read-only or
    // hidden one.
    void CopyFile(const CopyStep& copy);
    // The copy's source opened once (FileDetails::HoldSource), for CopyHeld.
    std::unique_ptr<HeldSource> HoldSource(const CopyStep& copy);
    // The same copy, from that one opening: the bytes read are written beside the target and, in a
    // build that carries sums, checked against the build's sum before they are put in its place, so
    // that a file changed since any earlier check is never copied. `log` gets both sums of a file
    // that differs.
    void CopyHeld(HeldSource& source, const CopyStep& copy, RunLog& log);
    // Makes the copy a fresh file of the kit's own: without the download mark and the Read-only
    // and Hidden attributes it may have brought along from the medium.
    void MakeInstalled(const CopyStep& copy);
    bool FileExists(const std::wstring& path);
    bool FolderExists(const std::wstring& path);
    // Creates one folder; the folder above it must exist.
    void CreateFolder(const std::wstring& path);
    // Read-only files are not forced.
    void DeleteFile(const std::wstring& path);

    void Release() noexcept;

private:
    // Whether a refusal of access was down to the file's read-only attribute.
    bool IsReadOnly(const std::wstring& path) noexcept;
    // What a refused copy or removal of `target` was down to, where the error number does not say.
    void Explain(SetupError& failure, const std::wstring& target) noexcept;

    FileDetails& files_;
    AutomationPtr fileSystem_;
};

// Why a source file is not there: not on the medium, or left in the zip archive the installer was
// started from (Windows runs a program opened inside a zip from the temporary folder, alone).
FailureKind MissingSourceKind(FileDetails& files, const std::wstring& source) noexcept;

// The full path of the Windows folder's object.
std::wstring FolderPath(AutomationObject& folder);

// The folders to create, outermost first, so that `folder` exists: on a fresh profile Excel
// may name a start-up folder that no one has made yet.
std::vector<std::wstring> MissingFolders(FileSystemObject& fileSystem, const std::wstring& folder);

}  // namespace qh
