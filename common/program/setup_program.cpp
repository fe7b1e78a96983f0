#include "program/setup_program.h"

#include <exception>
#include <string>
#include <string_view>

#include "core/failure_report.h"
#include "core/platform.h"
#include "core/setup_error.h"
#include "win32/call_thread.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"
#include "forms/designs.h"
#include "forms/forms_runtime.h"
#include "forms/form_window.h"
#include "win32/find_window_lookup.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"
#include "win32/win32_file_details.h"
#include "win32/win32_processes.h"

namespace qh::win32 {
namespace {

// Owned by the start-up window while that is on screen, a message comes to the front also when
// the program was started from a browser or a console.
void ShowMessage(const std::wstring& text, HWND startupWindow, UINT icon) {
    const HWND owner = startupWindow && ::IsWindowVisible(startupWindow) ? startupWindow : nullptr;
    const std::wstring caption(forms::kProductCaption);
    ::MessageBoxW(owner, text.c_str(), caption.c_str(),
                  MB_OK | icon | MB_SETFOREGROUND | (owner ? MB_APPLMODAL : MB_TASKMODAL));
}

void ShowReport(const std::wstring& text, HWND startupWindow) { ShowMessage(text, startupWindow, MB_ICONERROR); }

// Both programs, one run at a time in a session: a second one would find the first one's hidden
// Excel and ask the user to close an Excel they cannot see.
constexpr wchar_t kOneRunMutex[] = L"Local\\QuenzoHalvornSetupRun";

// Owns the session's run while it is held.
class OneRunAtATime {
public:
    OneRunAtATime() : mutex_(::CreateMutexW(nullptr, TRUE, kOneRunMutex)) {
        ThrowLastErrorIfNull(mutex_.get(), L"CreateMutexW", kOneRunMutex);
        owned_ = ::GetLastError() != ERROR_ALREADY_EXISTS;
    }
    OneRunAtATime(const OneRunAtATime&) = delete;
    OneRunAtATime& operator=(const OneRunAtATime&) = delete;
    ~OneRunAtATime() {
        if (owned_) ::ReleaseMutex(mutex_.get());
    }
    bool Owned() const noexcept { return owned_; }

private:
    UniqueKernelHandle mutex_;
    bool owned_ = false;
};

// The window of the run in progress that the user last saw: the topmost visible one of the kit.
void BringRunningSetupToFront() noexcept {
    HWND shown = nullptr;
    ::EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t className[32]{};
            ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
            if (std::wstring_view(className) != forms::kFormClass || !::IsWindowVisible(window) ||
                !::IsWindowEnabled(window)) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&shown));
    if (shown) ::SetForegroundWindow(shown);
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
        const OneRunAtATime run;
        if (!run.Owned()) {
            BringRunningSetupToFront();
            ShowMessage(L"Quenzo Halvorn setup is already running.\r\n\r\nFinish it, or cancel it, before you start "
                        L"the installer or the uninstaller again.",
                        nullptr, MB_ICONINFORMATION);
            return kExitAlreadyRunning;
        }
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
