#include "core/file_system.h"

#include <algorithm>

#include "core/file_set.h"
#include "core/setup_error.h"

namespace qh {
namespace {

// The automation layer knows the member that failed; this adds which file it was about.
template <typename Call>
auto NamingTheFile(const std::wstring& argument, Call&& call) {
    try {
        return call();
    } catch (const SetupError& failure) {
        throw SetupError(failure.Operation(), argument, failure.Code(), failure.Description());
    }
}

}  // namespace

FileSystemObject::FileSystemObject(AutomationFactory& objects)
    : fileSystem_(objects.CreateObject(kFileSystemProgramId)) {}

AutomationPtr FileSystemObject::GetSpecialFolder(std::int32_t which) {
    return AsObject(fileSystem_->Call(L"GetSpecialFolder", {which}), L"GetSpecialFolder");
}

void FileSystemObject::CopyFile(const std::wstring& source, const std::wstring& destination, bool overwrite) {
    NamingTheFile(L"from " + source + L" to " + destination,
                  [&] { return fileSystem_->Call(L"CopyFile", {source, destination, overwrite}); });
}

bool FileSystemObject::FileExists(const std::wstring& path) {
    return NamingTheFile(path, [&] { return AsBool(fileSystem_->Call(L"FileExists", {path}), L"FileExists"); });
}

bool FileSystemObject::FolderExists(const std::wstring& path) {
    return NamingTheFile(path, [&] { return AsBool(fileSystem_->Call(L"FolderExists", {path}), L"FolderExists"); });
}

void FileSystemObject::CreateFolder(const std::wstring& path) {
    NamingTheFile(path, [&] { return fileSystem_->Call(L"CreateFolder", {path}); });
}

void FileSystemObject::DeleteFile(const std::wstring& path) {
    NamingTheFile(path, [&] { return fileSystem_->Call(L"DeleteFile", {path}); });
}

void FileSystemObject::Release() noexcept { fileSystem_.reset(); }

std::wstring FolderPath(AutomationObject& folder) { return AsText(folder.Get(L"Path"), L"Path"); }

}  // namespace qh

namespace qh {

std::vector<std::wstring> MissingFolders(FileSystemObject& fileSystem, const std::wstring& folder) {
    std::vector<std::wstring> missing;
    for (std::wstring level = folder; !level.empty() && !fileSystem.FolderExists(level); level = ParentFolder(level)) {
        missing.push_back(level);
    }
    std::reverse(missing.begin(), missing.end());
    return missing;
}

}  // namespace qh
