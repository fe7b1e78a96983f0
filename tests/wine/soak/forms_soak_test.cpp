// Every window shown and unloaded a thousand times in one process: the windows and GDI objects the
// process holds stay where they were after the first rounds. (Its memory is printed, not checked:
// Wine 8's own EDIT control keeps about 10 KB each time one is made whose wrapped text is taller
// than the field, as the question dialogs' legal warning is; a bare EDIT shows it too.)
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>

#include "forms/forms_runtime.h"

namespace qh::testing {
namespace {

constexpr int kRounds = 1000;
constexpr int kWarmUpRounds = 20;

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    ::EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

int WindowsOfThisThread() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// GetGuiResources where it answers; Wine 8 answers 0, so there the GDI objects are counted in
// the process's shared GDI handle table (PEB GdiSharedHandleTable), whose live entries hold their
// object's address.
int GdiObjects() {
    if (const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(counted);
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
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0) return -1;
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiSharedHandleTableInPeb);
    if (!table) return -1;
    const auto self = static_cast<std::uint16_t>(::GetCurrentProcessId());
    int live = 0;
    for (int i = 0; i < kHandles; ++i) {
        if (table[i].object != 0 && (table[i].processId == 0 || table[i].processId == self)) ++live;
    }
    return live;
}

// The process's committed memory (Wine 8 answers 0 for PrivateUsage).
SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST(FormsSoak, EveryWindowShownAndUnloadedAThousandTimesHoldsNoMore) {
    constexpr Form kDialogs[] = {Form::ExitExcel, Form::UnInstall, Form::Copying, Form::Deleting};
    constexpr Form kAllForms[] = {Form::Form1, Form::ExitExcel, Form::UnInstall, Form::Copying, Form::Deleting};
    forms::Win32Forms forms(::GetModuleHandleW(nullptr), kAllForms, forms::LayoutScale(96));
    forms.Show(Form::Form1, ShowMode::Modeless, std::nullopt);
    // Each window shown, painted and unloaded.
    const auto round = [&] {
        for (Form form : kDialogs) {
            forms.Show(form, ShowMode::Modeless, Form::Form1);
            forms.PumpEventsUntil(forms.Now());
            forms.Unload(form);
        }
    };
    for (int i = 0; i < kWarmUpRounds; ++i) round();
    const int windows = WindowsOfThisThread();
    const int gdi = GdiObjects();
    const SIZE_T memory = CommittedBytes();
    ASSERT_GT(gdi, 0) << "no way to count GDI objects here";

    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) round();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);

    std::printf("%d rounds in %lld ms; windows %d -> %d, GDI objects %d -> %d, committed memory %zu -> %zu KB\n", kRounds,
                static_cast<long long>(took.count()), windows, WindowsOfThisThread(), gdi, GdiObjects(),
                static_cast<std::size_t>(memory / 1024), static_cast<std::size_t>(CommittedBytes() / 1024));
    EXPECT_EQ(WindowsOfThisThread(), windows);
    EXPECT_LE(GdiObjects(), gdi);
    if (const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) std::printf("USER objects %lu\n", user);
}

}  // namespace
}  // namespace qh::testing
