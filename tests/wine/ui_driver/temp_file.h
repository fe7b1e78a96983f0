#pragma once
// A file name in the temporary folder, unique per test process, removed again at scope end.
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace qh::testing {

class TempFile {
public:
    explicit TempFile(const std::wstring& name)
        : path_(std::filesystem::temp_directory_path() /
                (L"qh_ui_driver_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + name)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace qh::testing
