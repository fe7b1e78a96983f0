#include "program/setup_program.h"

#include <exception>
#include <string>

#include "core/failure_report.h"
#include "core/platform.h"
#include "core/setup_error.h"
#include "win32/call_thread.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"
#include "forms/designs.h"
#include "forms/forms_runtime.h"
#include "win32/find_window_lookup.h"
#include "win32/win32_file_details.h"
#include "win32/win32_processes.h"

namespace qh::win32 {
namespace {

// Owned by the start-up window while that is on screen, the report comes to the front also when
// the program was started from a browser or a console.
void ShowReport(const std::wstring& text, HWND startupWindow) {
    const HWND owner = startupWindow && ::IsWindowVisible(startupWindow) ? startupWindow : nullptr;
    const std::wstring caption(forms::kProductCaption);
    ::MessageBoxW(owner, text.c_str(), caption.c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND | (owner ? MB_APPLMODAL : MB_TASKMODAL));
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide.push_back(static_cast<unsigned char>(*c));
    return wide;
}

std::wstring ReportOf(const std::exception_ptr& failure, const RunRecord& record) {
    try {
        std::rethrow_exception(failure);
    } catch (const SetupError& error) {
        return DescribeFailure(error, record);
    } catch (const std::exception& error) {
        return DescribeUnexpectedFailure(Widen(error.what()), record);
    } catch (...) {
        return DescribeUnexpectedFailure(L"An unknown failure", record);
    }
}

}  // namespace

void RestrictLibrarySearch() noexcept {
    // A setup program is often started from a download folder, where a planted DLL named like
    // one loaded by search would otherwise be picked up.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

int RunSetupProgram(HINSTANCE instance, const SetupProgram& program) {
    RunRecord record;
    record.program = program.program;
    std::exception_ptr failure;
    try {
        ComApartment apartment;
        // Declared after the apartment: every object is released before COM is left.
        forms::Win32Forms runtime(instance, program.forms, forms::LayoutScale::OfSystem());
        FindWindowLookup windows;
        DispatchFactory objects;
        Win32CallThread excelCalls;
        Win32Processes processes;
        Win32FileDetails files;
        Platform platform{windows, objects, runtime, excelCalls, processes, files};
        try {
            const Outcome outcome = program.run(platform, record);
            // A window procedure may have failed where no pump came after it to pass it on.
            if (const auto late = runtime.FirstWindowFailure()) std::rethrow_exception(late);
            return outcome == Outcome::Completed ? kExitCompleted : kExitCancelled;
        } catch (...) {
            // The sequence has made Excel quit and let its objects go; the start-up window is
            // still up, and goes with the rest once the report is read.
            ShowReport(ReportOf(std::current_exception(), record), runtime.WindowOf(Form::Form1));
            return kExitFailed;
        }
    } catch (...) {
        failure = std::current_exception();
    }
    ShowReport(ReportOf(failure, record), nullptr);
    return kExitFailed;
}

}  // namespace qh::win32
