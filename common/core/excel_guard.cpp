#include "core/excel_guard.h"

#include <algorithm>

namespace qh {

bool UserHasExcelOpen(WindowLookup& windows) {
    const std::vector<WindowShown> shown = windows.TopLevelWindows(kExcelWindowClass);
    return std::any_of(shown.begin(), shown.end(), [](WindowShown window) { return window != WindowShown::Hidden; });
}

Answer PassExcelGuard(WindowLookup& windows, FormsRuntime& forms) {
    while (UserHasExcelOpen(windows)) {
        // Closing the prompt through its close box only makes the guard look again.
        if (Ask(forms, Form::ExitExcel, CloseBox::GoesAhead) == Answer::Cancel) return Answer::Cancel;
    }
    return Answer::GoAhead;
}

}  // namespace qh
