#pragma once
// The sample window under the driver: started per test, found by its design, ended with the test.
#include <chrono>

#include "ui_driver/ui_driver.h"
#include "layout.h"

namespace qh::testing {

inline constexpr wchar_t kSampleWindowExe[] = L"" QH_SAMPLE_WINDOW_EXE;

// The first window after a pause: Wine ends its virtual desktop (explorer.exe) when no program
// has used it for a while, and the next program's first window then took 10.7 s to appear here.
inline constexpr std::chrono::milliseconds kFirstWindowTimeout{30'000};

inline WindowFilter MainWindowDesign(DWORD processId) {
    WindowFilter filter;
    filter.processId = processId;
    filter.caption = sample::kCaption;
    filter.clientSize = sample::kMainClientSize;
    return filter;
}

}  // namespace qh::testing
