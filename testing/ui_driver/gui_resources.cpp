#include "ui_driver/gui_resources.h"

#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui_driver/failure.h"
#include "ui_driver/window_info.h"
#include "ui_driver/window_search.h"

namespace qh::testing {
namespace {

// NtQuerySystemInformation(SystemExtendedHandleInformation): not in the SDK headers, but stable
// since Windows XP and implemented by Wine.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

DWORD CountHandlesInSystemTable(DWORD processId) {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) Fail(L"ntdll.dll has no NtQuerySystemInformation");

    // The table grows between calls; a few retries with room to spare settle it.
    std::vector<std::uint64_t> buffer(64 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const auto size = static_cast<ULONG>(buffer.size() * sizeof(buffer[0]));
        const LONG status = query(kSystemExtendedHandleInformation, buffer.data(), size, &needed);
        if (status == kStatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed / sizeof(buffer[0]) + 4096));
            continue;
        }
        if (status < 0) {
            Fail(L"NtQuerySystemInformation(SystemExtendedHandleInformation) failed with status " +
                 std::to_wstring(static_cast<unsigned long>(status)));
        }
        const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        DWORD count = 0;
        for (ULONG_PTR i = 0; i < table->count; ++i) {
            if (table->entries[i].processId == processId) ++count;
        }
        return count;
    }
    Fail(L"the system handle table kept growing while it was read");
}

// The live entries of this process's shared GDI handle table (PEB GdiSharedHandleTable); under
// Wine 8 each holds its object's address and the process field is 0.
DWORD CountOwnGdiObjects() {
    struct Entry {
        std::uint64_t object;
        std::uint16_t processId;
        std::uint16_t lock;
        std::uint32_t type;
        std::uint64_t user;
    };
    constexpr std::size_t kGdiSharedHandleTableInPeb = 0xF8;
    constexpr int kHandles = 0x10000;
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0) return 0;
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiSharedHandleTableInPeb);
    if (!table) return 0;
    const auto self = static_cast<std::uint16_t>(::GetCurrentProcessId());
    DWORD live = 0;
    for (int i = 0; i < kHandles; ++i) {
        if (table[i].object != 0 && (table[i].processId == 0 || table[i].processId == self)) ++live;
    }
    return live;
}

DWORD CountWindows(DWORD processId) {
    WindowFilter filter;
    filter.processId = processId;
    filter.visibleOnly = false;
    DWORD count = 0;
    for (HWND window : FindTopLevelWindows(filter)) {
        count += 1 + static_cast<DWORD>(DescendantWindows(window).size());
    }
    return count;
}

}  // namespace

GuiResourceCounts GuiResources(HANDLE process) {
    const DWORD processId = ::GetProcessId(process);
    if (processId == 0) FailWithLastError(L"cannot tell the process of the handle given to GuiResources");
    GuiResourceCounts counts;
    counts.gdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
    if (counts.gdiObjects == 0 && processId == ::GetCurrentProcessId()) counts.gdiObjects = CountOwnGdiObjects();
    counts.userObjects = ::GetGuiResources(process, GR_USEROBJECTS);
    if (!::GetProcessHandleCount(process, &counts.kernelHandles)) {
        FailWithLastError(L"cannot count the handles of process " + std::to_wstring(processId));
    }
    if (counts.kernelHandles == 0) counts.kernelHandles = CountHandlesInSystemTable(processId);
    counts.windows = CountWindows(processId);
    return counts;
}

}  // namespace qh::testing
