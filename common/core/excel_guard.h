#pragma once
#include "core/dialog.h"
#include "core/forms.h"
#include "core/window_lookup.h"

namespace qh {

// Excel's main window class; its presence means Excel runs.
inline constexpr char kExcelWindowClass[] = "XLMAIN";

// Whether the user has an Excel window to close: one on screen or minimised. A hidden one is
// another program's automation instance, or one that is still closing; asking the user to close
// a window they cannot see would have no answer.
bool UserHasExcelOpen(WindowLookup& windows);

// Asks the user to close Excel for as long as they have an Excel window open. GoAhead once none
// is left; Cancel when the user cancelled, before anything was changed.
Answer PassExcelGuard(WindowLookup& windows, FormsRuntime& forms);

}  // namespace qh
