#pragma once
#include <memory>

#include "core/file_details.h"

namespace qh::win32 {

// Streams, attributes and sharing through the file functions themselves.
class Win32FileDetails final : public FileDetails {
public:
    Win32FileDetails();
    ~Win32FileDetails() override;
    bool RemoveStream(const std::wstring& file, std::wstring_view stream) override;
    bool ClearAttributes(const std::wstring& file, std::uint32_t attributes) override;
    bool IsInUse(const std::wstring& file) noexcept override;
    std::wstring TemporaryFolder() override;
    std::wstring LongPath(const std::wstring& path) noexcept override;
    std::wstring ProgramFolder() override;
    std::wstring ProgramFile() override;
    // Through mpr.dll, no Known DLL, loaded from the system folder when a drive is asked about.
    std::wstring NetworkPathOf(const std::wstring& drive) noexcept override;
    // Through QueryDosDevice.
    std::wstring SubstitutedPathOf(const std::wstring& drive) noexcept override;
    // From the running program's own resources.
    std::optional<std::string> CarriedSums() override;
    std::string Sha256Of(const std::wstring& file) override;
    std::unique_ptr<HeldSource> HoldSource(const std::wstring& file) override;

private:
    std::unique_ptr<class Sha256> sha256_;  // made for the first file
};

}  // namespace qh::win32
