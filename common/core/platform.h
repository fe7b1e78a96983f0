#pragma once
// The services a setup sequence runs on.
#include "core/accounts.h"
#include "core/automation.h"
#include "core/call_thread.h"
#include "core/closing_excel.h"
#include "core/elevation.h"
#include "core/file_details.h"
#include "core/forms.h"
#include "core/processes.h"
#include "core/run_log.h"
#include "core/window_lookup.h"

namespace qh {

struct Platform {
    WindowLookup& windows;
    AutomationFactory& objects;
    FormsRuntime& forms;
    // Where the calls to Excel run, so that an Excel that stops answering cannot freeze the windows.
    CallThread& excelCalls;
    // Where the Excel this run started is ended, and no other.
    Processes& processes;
    FileDetails& files;
    // Each step, for an administrator ("/log"); nowhere otherwise.
    RunLog& log;
    Accounts& accounts;
    // The Excel this run started, once let go, until it has ended.
    ClosingExcel& closingExcel;
    Elevation& elevation;
    // Where the request for an administrator waits for the prompt's answer, so that the windows
    // go on painting meanwhile.
    CallThread& promptCalls;
};

}  // namespace qh
