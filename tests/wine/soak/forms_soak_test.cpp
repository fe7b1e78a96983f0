// Every window shown and unloaded a hundred times in one process: the windows and GDI objects the
// process holds stay where they were after the first rounds, so that a window or GDI object one
// show leaves behind stands out a hundred times over. (Its memory is printed, not checked:
// Wine 8's own EDIT control keeps about 10 KB each time one is made whose wrapped text is taller
// than the field, as the question dialogs' legal warning is; a bare EDIT shows it too.)
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include "forms/forms_runtime.h"
#include "ui_driver/gui_resources.h"

namespace qh::testing {
namespace {

constexpr int kRounds = 100;
constexpr int kWarmUpRounds = 20;

// The process's committed memory (Wine 8 answers 0 for PrivateUsage).
SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST(FormsSoak, EveryWindowShownAndUnloadedAHundredTimesHoldsNoMore) {
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
    const GuiResourceCounts before = GuiResources(::GetCurrentProcess());
    const SIZE_T memory = CommittedBytes();
    ASSERT_GT(before.gdiObjects, 0u) << "no way to count GDI objects here";

    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) round();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);

    const GuiResourceCounts after = GuiResources(::GetCurrentProcess());
    std::printf(
        "%d rounds in %lld ms; windows %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> %lu, "
        "committed memory %zu -> %zu KB\n",
        kRounds, static_cast<long long>(took.count()), before.windows, after.windows, before.gdiObjects,
        after.gdiObjects, before.userObjects, after.userObjects, static_cast<std::size_t>(memory / 1024),
        static_cast<std::size_t>(CommittedBytes() / 1024));
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.gdiObjects, before.gdiObjects);
}

}  // namespace
}  // namespace qh::testing
