#pragma once
// The "/log FILE" log: UTF-8 lines appended to a file, each with the local time.
#include <string>

#include "core/run_log.h"
#include "win32/unique_handle.h"

namespace qh::program {

class FileRunLog final : public RunLog {
public:
    // Opens the file for appending, creating it if missing (a relative path is taken from the
    // current folder); a SetupError when it cannot. Another run may append to it meanwhile.
    explicit FileRunLog(const std::wstring& path);
    void Step(std::wstring_view what) noexcept override;
    // The file's full path.
    const std::wstring& Path() const noexcept { return path_; }

private:
    std::wstring path_;
    win32::UniqueFileHandle file_;
};

// The program's file version from its own version record ("2.0.0.1"), or empty.
std::wstring OwnVersion();

}  // namespace qh::program
