#pragma once
#include "core/processes.h"

namespace qh::win32 {

// Processes through the Tool Help snapshot, their start times and handles held open.
class Win32Processes final : public Processes {
public:
    std::wstring ServerProgramOf(std::wstring_view programId) override;
    ProcessSnapshot Running(std::wstring_view programFileName) override;
    Ending EndIfHidden(const ProcessStart& process) noexcept override;
    std::unique_ptr<HeldProcess> HoldOwnerOf(std::int32_t window, std::string_view className) override;
};

}  // namespace qh::win32
