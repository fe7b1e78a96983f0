#include "core/file_system.h"

#include <algorithm>

#include "core/setup_error.h"

namespace qh {
namespace {

constexpr std::int32_t kReadOnlyAttribute = 1;

const Doing kFindingWindowsFolder{Activity::FindingWindowsFolder, {}, {}};

}  // namespace

FileSystemObject::FileSystemObject(AutomationFactory& objects)
    : fileSystem_(objects.CreateObject(kFileSystemProgramId)) {}

AutomationPtr FileSystemObject::GetSpecialFolder(std::int32_t which) {
    return While(kFindingWindowsFolder, [&] {
        return AsObject(fileSystem_->Call(L"GetSpecialFolder", {which}), L"GetSpecialFolder");
    });
}

void FileSystemObject::CopyFile(const CopyStep& copy) {
    try {
        fileSystem_->Call(L"CopyFile", {copy.source, copy.destination, true});
    } catch (SetupError& failure) {
        failure.SetDoing({copy.activity, FileNameOf(copy.source), {L"from " + copy.source, L"to " + copy.destination}});
        // A missing target folder is "path not found": this is the source.
        if (failure.Kind() == FailureKind::FileNotFound) failure.SetKind(FailureKind::NotOnMedium);
        if (failure.Kind() == FailureKind::AccessDenied && IsReadOnly(copy.installedFile)) {
            failure.SetKind(FailureKind::ReadOnly);
        }
        throw;
    }
}

bool FileSystemObject::FileExists(const std::wstring& path) {
    return While({Activity::CheckingFile, FileNameOf(path), {path}},
                 [&] { return AsBool(fileSystem_->Call(L"FileExists", {path}), L"FileExists"); });
}

bool FileSystemObject::FolderExists(const std::wstring& path) {
    return While({Activity::CheckingFolder, path, {}},
                 [&] { return AsBool(fileSystem_->Call(L"FolderExists", {path}), L"FolderExists"); });
}

void FileSystemObject::CreateFolder(const std::wstring& path) {
    While({Activity::CreatingFolder, path, {}}, [&] { return fileSystem_->Call(L"CreateFolder", {path}); });
}

void FileSystemObject::DeleteFile(const std::wstring& path) {
    try {
        fileSystem_->Call(L"DeleteFile", {path});
    } catch (SetupError& failure) {
        failure.SetDoing({Activity::RemovingFile, FileNameOf(path), {path}});
        if (failure.Kind() == FailureKind::AccessDenied && IsReadOnly(path)) failure.SetKind(FailureKind::ReadOnly);
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

std::wstring FolderPath(AutomationObject& folder) {
    return While(kFindingWindowsFolder, [&] { return AsText(folder.Get(L"Path"), L"Path"); });
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
