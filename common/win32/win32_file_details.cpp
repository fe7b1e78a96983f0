#include "win32/win32_file_details.h"

#include <windows.h>
#include <winnetwk.h>

#include <cwchar>

#include "core/paths.h"
#include "win32/addin_sums_resource.h"
#include "win32/held_source.h"
#include "win32/running_program.h"
#include "win32/sha256.h"
#include "win32/system_library.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

// No such file, or a file system without named streams (FAT on a USB stick): nothing to do.
bool IsAbsent(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

// The longest path Windows takes, in characters.
constexpr std::size_t kLongestPath = 32767;

}  // namespace

bool Win32FileDetails::RemoveStream(const std::wstring& file, std::wstring_view stream) {
    const std::wstring path = file + L":" + std::wstring(stream);
    if (::DeleteFileW(path.c_str())) return true;
    const DWORD error = ::GetLastError();
    if (IsAbsent(error)) return false;
    ThrowError(error, L"DeleteFileW", path);
}

bool Win32FileDetails::ClearAttributes(const std::wstring& file, std::uint32_t attributes) {
    const DWORD present = ::GetFileAttributesW(file.c_str());
    if (present == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        ThrowError(error, L"GetFileAttributesW", file);
    }
    if ((present & attributes) == 0) return true;
    const DWORD kept = present & ~static_cast<DWORD>(attributes);
    if (!::SetFileAttributesW(file.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL)) {
        ThrowLastError(L"SetFileAttributesW", file);
    }
    return true;
}

bool Win32FileDetails::IsInUse(const std::wstring& file) noexcept {
    // Everything shared: only a program that holds the file against writing or deleting refuses.
    const UniqueFileHandle opened(::CreateFileW(file.c_str(), GENERIC_WRITE | DELETE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (opened) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::wstring Win32FileDetails::TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1]{};
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(std::size(folder)), folder);
    if (length == 0 || length > MAX_PATH) ThrowLastError(L"GetTempPathW");
    return std::wstring(folder, length);
}

std::wstring Win32FileDetails::LongPath(const std::wstring& path) noexcept {
    try {
        const DWORD size = ::GetLongPathNameW(path.c_str(), nullptr, 0);
        if (size == 0) return path;
        std::wstring longPath(size, L'\0');
        const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), size);
        if (length == 0 || length >= size) return path;
        longPath.resize(length);
        return longPath;
    } catch (...) {
        return path;
    }
}

std::wstring Win32FileDetails::ProgramFolder() { return ParentFolder(RunningProgramPath()); }

std::wstring Win32FileDetails::ProgramFile() { return RunningProgramPath(); }

Win32FileDetails::Win32FileDetails() = default;
Win32FileDetails::~Win32FileDetails() = default;

std::optional<std::string> Win32FileDetails::CarriedSums() {
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_ADDIN_SUMS), RT_RCDATA);
    if (!found) return std::nullopt;
    const HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    // Carried but unreadable: the check reports the build as broken.
    if (!bytes) return std::string();
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found));
}

std::string Win32FileDetails::Sha256Of(const std::wstring& file) {
    if (!sha256_) sha256_ = std::make_unique<Sha256>();
    return sha256_->OfFile(file);
}

std::unique_ptr<HeldSource> Win32FileDetails::HoldSource(const std::wstring& file) {
    if (!sha256_) sha256_ = std::make_unique<Sha256>();
    return HoldFile(file, *sha256_);
}

std::wstring Win32FileDetails::NetworkPathOf(const std::wstring& drive) noexcept {
    try {
        if (::GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_REMOTE) return {};
        const UniqueLibrary mpr = LoadSystemLibrary(L"mpr.dll");
        const auto connectionOf = ProcedureOf<decltype(&::WNetGetConnectionW)>(mpr.get(), "WNetGetConnectionW");
        std::wstring share(MAX_PATH, L'\0');
        DWORD length = static_cast<DWORD>(share.size());
        if (connectionOf(drive.c_str(), share.data(), &length) != NO_ERROR) return {};
        share.resize(::wcsnlen(share.c_str(), share.size()));
        return share;
    } catch (...) {
        return {};
    }
}

std::wstring Win32FileDetails::SubstitutedPathOf(const std::wstring& drive) noexcept {
    try {
        // The drive's device names, one after the other, the current one first.
        std::wstring devices(MAX_PATH, L'\0');
        DWORD length = 0;
        while ((length = ::QueryDosDeviceW(drive.c_str(), devices.data(), static_cast<DWORD>(devices.size()))) == 0) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || devices.size() >= kLongestPath) return {};
            devices.resize(devices.size() * 2);
        }
        const std::wstring device(devices.c_str(), ::wcsnlen(devices.c_str(), length));
        // A disk's device is a volume ("\Device\HarddiskVolume3"), a mapped drive's its
        // redirector's; a subst drive's is the folder it stands for, in the form "\??\C:\Media".
        constexpr std::wstring_view kFolder = L"\\??\\";
        constexpr std::wstring_view kShareFolder = L"\\??\\UNC\\";
        if (device.starts_with(kShareFolder)) return L"\\\\" + device.substr(kShareFolder.size());
        if (device.starts_with(kFolder)) return device.substr(kFolder.size());
        return {};
    } catch (...) {
        return {};
    }
}

}  // namespace qh::win32
