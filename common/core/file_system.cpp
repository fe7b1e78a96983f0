#include "core/file_system.h"

#include <algorithm>

#include "core/medium_check.h"
#include "core/setup_error.h"
#include "core/text.h"

namespace qh {
namespace {

const Doing kFindingWindowsFolder{Activity::FindingWindowsFolder, {}, {}};

// GetSpecialFolder's number for the Windows folder.
constexpr std::int32_t kWindowsFolder = 0;

AutomationPtr StartScriptingRuntime(AutomationFactory& objects) {
    try {
        return objects.CreateObject(kFileSystemProgramId);
    } catch (SetupError& failure) {
        // Hardened machines may have it unregistered; nothing to do with Excel.
        failure.SetDoing({Activity::StartingScriptingRuntime, {}, {}});
        failure.SetKind(FailureKind::NoScriptingRuntime);
        throw;
    }
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() > folder.size() && path[folder.size()] == L'\\' &&
           SameIgnoringCase(std::wstring_view(path).substr(0, folder.size()), folder);
}

}  // namespace

FileSystemObject::FileSystemObject(AutomationFactory& objects, FileDetails& files)
    : files_(files), fileSystem_(StartScriptingRuntime(objects)) {}

AutomationPtr FileSystemObject::WindowsFolderObject() {
    return DoStep(kFindingWindowsFolder, [&] {
        return AsObject(fileSystem_->Call(L"GetSpecialFolder", {kWindowsFolder}), L"GetSpecialFolder");
    });
}

void FileSystemObject::CopyFile(const CopyStep& copy) {
    try {
        // Windows refuses to replace a read-only or hidden file; an install means to replace it.
        files_.ClearAttributes(copy.installedFile, kReadOnlyAttribute | kHiddenAttribute);
        fileSystem_->Call(L"CopyFile", {copy.source, copy.destination, true});
    } catch (SetupError& failure) {
        failure.SetDoing({copy.activity, FileNameOf(copy.source), {L"from " + copy.source, L"to " + copy.destination}});
        // A missing target folder is "path not found": this is the source.
        if (failure.Kind() == FailureKind::FileNotFound) failure.SetKind(MissingSourceKind(files_, copy.source));
        Explain(failure, copy.installedFile);
        throw;
    }
}

std::unique_ptr<HeldSource> FileSystemObject::HoldSource(const CopyStep& copy) {
    try {
        return files_.HoldSource(copy.source);
    } catch (SetupError& failure) {
        failure.SetDoing({copy.activity, FileNameOf(copy.source), {L"from " + copy.source, L"to " + copy.destination}});
        if (failure.Kind() == FailureKind::FileNotFound) failure.SetKind(MissingSourceKind(files_, copy.source));
        throw;
    }
}

void FileSystemObject::CopyHeld(HeldSource& source, const CopyStep& copy, RunLog& log) {
    const std::wstring name = FileNameOf(copy.source);
    const std::optional<std::string> carried = CarriedSumOf(files_, name);
    bool replacing = false;
    try {
        const std::string found = source.CopyBeside(copy.installedFile);
        if (carried) RequireCarriedSum(copy.source, found, *carried, log);
        replacing = true;
        // Windows will not replace a read-only file; an install means to replace it.
        files_.ClearAttributes(copy.installedFile, kReadOnlyAttribute | kHiddenAttribute);
        source.PutInPlace();
    } catch (SetupError& failure) {
        if (failure.Kind() == FailureKind::MediumChanged) {
            failure.SetDoing({Activity::CheckingMedium, name, {copy.source}});
        } else {
            failure.SetDoing({copy.activity, name, {L"from " + copy.source, L"to " + copy.destination}});
            // A file beside it refused is the folder's refusal, whatever the one in place is.
            if (replacing) Explain(failure, copy.installedFile);
        }
        throw;
    }
}

void FileSystemObject::MakeInstalled(const CopyStep& copy) {
    DoStep({copy.activity, FileNameOf(copy.source), {copy.installedFile}}, [&] {
        // A copy takes along its source's download mark (a marked help file opens with blank
        // pages) and its Read-only and Hidden attributes (every file on a disc is read-only, and
        // the uninstaller could not remove the copy). The copy is a file the user chose to install.
        // The attributes go first: Windows refuses to delete a stream of a read-only file.
        files_.ClearAttributes(copy.installedFile, kReadOnlyAttribute | kHiddenAttribute);
        files_.RemoveStream(copy.installedFile, kDownloadMarkStream);
    });
}

bool FileSystemObject::FileExists(const std::wstring& path) {
    return DoStep({Activity::CheckingFile, FileNameOf(path), {path}},
                  [&] { return AsBool(fileSystem_->Call(L"FileExists", {path}), L"FileExists"); });
}

bool FileSystemObject::FolderExists(const std::wstring& path) {
    return DoStep({Activity::CheckingFolder, path, {}},
                  [&] { return AsBool(fileSystem_->Call(L"FolderExists", {path}), L"FolderExists"); });
}

void FileSystemObject::CreateFolder(const std::wstring& path) {
    DoStep({Activity::CreatingFolder, path, {}}, [&] { return fileSystem_->Call(L"CreateFolder", {path}); });
}

void FileSystemObject::DeleteFile(const std::wstring& path) {
    try {
        fileSystem_->Call(L"DeleteFile", {path});
    } catch (SetupError& failure) {
        failure.SetDoing({Activity::RemovingFile, FileNameOf(path), {path}});
        Explain(failure, path);
        throw;
    }
}

void FileSystemObject::Release() noexcept { fileSystem_.reset(); }

bool FileSystemObject::IsReadOnly(const std::wstring& path) noexcept {
    try {
        const AutomationPtr file = AsObject(fileSystem_->Call(L"GetFile", {path}), L"GetFile");
        const Value attributes = file->Get(L"Attributes");
        const auto* bits = std::get_if<std::int32_t>(&attributes);
        return bits && (*bits & kReadOnlyAttribute) != 0;
    } catch (...) {
        return false;
    }
}

void FileSystemObject::Explain(SetupError& failure, const std::wstring& target) noexcept {
    const FailureKind kind = failure.Kind();
    if (kind == FailureKind::AccessDenied && IsReadOnly(target)) {
        failure.SetKind(FailureKind::ReadOnly);
    } else if ((kind == FailureKind::AccessDenied || kind == FailureKind::Other) && files_.IsInUse(target)) {
        failure.SetKind(FailureKind::InUse);
    }
}

FailureKind MissingSourceKind(FileDetails& files, const std::wstring& source) noexcept {
    try {
        // The temporary folder is often stored in its short form, and the program may be started
        // by either: they are compared in their long forms. The source itself is not there.
        const std::wstring folder = files.LongPath(ParentFolder(source));
        return StartsWithFolder(folder + L"\\" + FileNameOf(source),
                                NormaliseFolderPath(files.LongPath(files.TemporaryFolder())))
                   ? FailureKind::NotExtracted
                   : FailureKind::NotOnMedium;
    } catch (...) {
        return FailureKind::NotOnMedium;
    }
}

std::wstring FolderPath(AutomationObject& folder) {
    return DoStep(kFindingWindowsFolder, [&] { return AsText(folder.Get(L"Path"), L"Path"); });
}

std::vector<std::wstring> MissingFolders(FileSystemObject& fileSystem, const std::wstring& folder) {
    std::vector<std::wstring> missing;
    for (std::wstring level = folder; !level.empty() && !fileSystem.FolderExists(level); level = ParentFolder(level)) {
        missing.push_back(level);
    }
    std::reverse(missing.begin(), missing.end());
    return missing;
}

}  // namespace qh
