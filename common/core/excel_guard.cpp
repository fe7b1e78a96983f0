#include "core/excel_guard.h"

namespace qh {

Answer PassExcelGuard(WindowLookup& windows, FormsRuntime& forms) {
    while (windows.TopLevelWindowExists(kExcelWindowClass)) {
        // Closing the prompt through its close box only makes the guard look again.
        if (Ask(forms, Form::ExitExcel, CloseBox::GoesAhead) == Answer::Cancel) return Answer::Cancel;
    }
    return Answer::GoAhead;
}

}  // namespace qh
