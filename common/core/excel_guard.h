#pragma once
#include "core/dialog.h"
#include "core/forms.h"
#include "core/window_lookup.h"

namespace qh {

// Excel's main window class; its presence means Excel runs.
inline constexpr char kExcelWindowClass[] = "XLMAIN";

// Asks the user to close Excel for as long as an Excel window exists. GoAhead once none is left;
// Cancel when the user cancelled, before anything was changed.
Answer PassExcelGuard(WindowLookup& windows, FormsRuntime& forms);

}  // namespace qh
