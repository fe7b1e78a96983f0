#pragma once
#include "core/file_details.h"

namespace qh::win32 {

// Streams, attributes and sharing through the file functions themselves.
class Win32FileDetails final : public FileDetails {
public:
    bool RemoveStream(const std::wstring& file, std::wstring_view stream) override;
    bool ClearAttributes(const std::wstring& file, std::uint32_t attributes) override;
    bool IsInUse(const std::wstring& file) noexcept override;
    std::wstring TemporaryFolder() override;
    std::wstring LongPath(const std::wstring& path) noexcept override;
    std::wstring ProgramFolder() override;
    std::wstring ProgramFile() override;
    // Through mpr.dll, no Known DLL, loaded from the system folder when a drive is asked about.
    std::wstring NetworkPathOf(const std::wstring& drive) noexcept override;
};

}  // namespace qh::win32
