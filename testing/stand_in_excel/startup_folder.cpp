#include "startup_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "test_settings.h"

namespace qh::testing {

namespace {

struct CoTaskMemFreer {
    void operator()(wchar_t* text) const noexcept { ::CoTaskMemFree(text); }
};

std::wstring RoamingAppDataFolder() {
    wchar_t* raw = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &raw);
    std::unique_ptr<wchar_t, CoTaskMemFreer> owned(raw);
    if (FAILED(hr) || !owned) return {};
    return owned.get();
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Index of the first character after the root ("C:\", "\\server\share\"), which is never created.
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 && path[2] == L'\\' ? 3 : 2;
    if (path.starts_with(L"\\\\")) {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return path.size();
        const size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path.size() : share + 1;
    }
    return path.starts_with(L"\\") ? 1 : 0;
}

}  // namespace

std::wstring StartupFolderText() {
    if (auto configured = StartupPathSetting()) return *configured;
    return RoamingAppDataFolder() + L"\\Microsoft\\Excel\\XLSTART";
}

bool CreateFolderTree(const std::wstring& path) {
    std::wstring folder = path;
    const size_t root = RootLength(folder);
    while (folder.size() > root && folder.back() == L'\\') folder.pop_back();
    for (size_t separator = folder.find(L'\\', root); separator != std::wstring::npos;
         separator = folder.find(L'\\', separator + 1)) {
        ::CreateDirectoryW(folder.substr(0, separator).c_str(), nullptr);
    }
    if (folder.size() > root) ::CreateDirectoryW(folder.c_str(), nullptr);
    return IsFolder(folder.size() > root ? folder : path);
}

}  // namespace qh::testing
