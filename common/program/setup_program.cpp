#include "program/setup_program.h"

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/failure_report.h"
#include "core/help_file_step.h"
#include "core/medium_check.h"
#include "core/platform.h"
#include "core/product.h"
#include "core/quiet_forms.h"
#include "core/run_log.h"
#include "core/run_switches.h"
#include "core/setup_error.h"
#include "win32/call_thread.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"
#include "forms/designs.h"
#include "forms/forms_runtime.h"
#include "forms/form_window.h"
#include "program/file_run_log.h"
#include "win32/find_window_lookup.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"
#include "win32/win32_accounts.h"
#include "win32/win32_elevation.h"
#include "win32/win32_file_details.h"
#include "win32/win32_processes.h"

namespace qh::program {
namespace {

// Owned by the start-up window while that is on screen, a message comes to the front also when
// the program was started from a browser or a console.
void ShowMessage(const std::wstring& text, HWND startupWindow, UINT icon) {
    const HWND owner = startupWindow && ::IsWindowVisible(startupWindow) ? startupWindow : nullptr;
    const std::wstring caption(kProductName);
    ::MessageBoxW(owner, text.c_str(), caption.c_str(),
                  MB_OK | icon | MB_SETFOREGROUND | (owner ? MB_APPLMODAL : MB_TASKMODAL));
}

// Owns the session's run while it is held. Made before anything else, the log included.
class OneRunAtATime {
public:
    OneRunAtATime() noexcept {
        // Only the documented ERROR_ALREADY_EXISTS is set on success; a stale error must not pass for it.
        ::SetLastError(ERROR_SUCCESS);
        mutex_.reset(::CreateMutexW(nullptr, TRUE, kOneRunMutex));
        const DWORD error = ::GetLastError();
        if (mutex_) {
            owned_ = error != ERROR_ALREADY_EXISTS;
        } else if (error != ERROR_ACCESS_DENIED) {
            // Refused access, it exists: made by another account's run in this session (an
            // administrator's "Run as"), which is a run all the same.
            try {
                win32::ThrowLastError(L"CreateMutexW", kOneRunMutex);
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
    }
    OneRunAtATime(const OneRunAtATime&) = delete;
    OneRunAtATime& operator=(const OneRunAtATime&) = delete;
    ~OneRunAtATime() {
        if (owned_) ::ReleaseMutex(mutex_.get());
    }
    // Whether this run holds it; throws when it could not be made at all.
    bool Owned() const {
        if (failure_) std::rethrow_exception(failure_);
        return owned_;
    }

private:
    win32::UniqueKernelHandle mutex_;
    bool owned_ = false;
    std::exception_ptr failure_;
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

// The run-time library's narrow texts are in the system's code page.
std::wstring Widen(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.pop_back();  // the terminator the count included
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

namespace {

// What a run as someone else, or where nobody sits, did, and what it left to the person who uses Excel.
std::wstring HelpFileOnlyMessage(Program program, const std::wstring& account, bool withoutDesktop) {
    const bool installing = program == Program::Installer;
    return L"Only " + std::wstring(kProductName) +
           (installing ? L"'s help file was installed, into the Windows Help folder."
                       : L"'s help file was removed, from the Windows Help folder.") +
           L"\r\n\r\nThis program runs as " + account +
           (withoutDesktop ? L" with no desktop that anyone sees (as a service, or as a task run whether anyone is "
                             L"signed in or not)"
                           : L", not as the person signed in to Windows") +
           L", and the add-in's workbooks belong to the Excel of the person who uses it, so Excel was not started and "
           L"no workbook was touched.\r\n\r\nWhat to do: the person who uses Excel runs the " +
           std::wstring(ProgramNoun(program)) + L" themselves. A deployment tool runs it in the user's context.";
}

// The Win32 services a sequence runs on, with nobody at the desk when `quiet`. Made after COM, and
// every object goes before COM is left.
struct Services {
    Services(HINSTANCE instance, const SetupProgram& program, bool quiet, RunLog& log)
        : runtime(instance, program.forms, forms::LayoutScale::OfSystem()),
          quietForms(runtime),
          forms(quiet ? static_cast<FormsRuntime&>(quietForms) : runtime),
          elevation([this](Form form) { return runtime.WindowOf(form); }),
          platform{windows, objects,  forms,        excelCalls, processes,  files,
                   log,     accounts, closingExcel, elevation,  promptCalls} {}

    win32::ComApartment apartment;
    forms::Win32Forms runtime;
    QuietForms quietForms;
    FormsRuntime& forms;
    win32::FindWindowLookup windows;
    win32::DispatchFactory objects;
    win32::Win32CallThread excelCalls;
    win32::Win32Processes processes;
    win32::Win32FileDetails files;
    win32::Win32Accounts accounts;
    ClosingExcel closingExcel;
    win32::Win32Elevation elevation;
    win32::Win32CallThread promptCalls{win32::CallApartment::Shell};
    Platform platform;
};

// The help file's step alone, for the run that started this program again as an administrator:
// no window, no lock of its own (that run holds it), no log and no account check (an
// administrator's account is the point of it). Its outcome is its exit code.
std::uint32_t RunHelpFileStep(HINSTANCE instance, const SetupProgram& program) {
    try {
        NoRunLog log;
        Services services(instance, program, /*quiet=*/true, log);
        RunRecord record;
        record.program = program.program;
        program.helpFileOnly(services.platform, record);
        return kHelpFileStepDone;
    } catch (const SetupError& failure) {
        return HelpFileStepExitCode(failure.Kind());
    } catch (...) {
        return HelpFileStepExitCode(FailureKind::Other);
    }
}

// One run, its steps going to `log`; the exit code.
ExitCode Run(HINSTANCE instance, const SetupProgram& program, const RunSwitches& switches, const OneRunAtATime& run,
             RunLog& log) {
    // With nobody at the desk, the exit code and the log tell how the run ended.
    const auto tell = [&](const std::wstring& text, HWND startupWindow, UINT icon) {
        log.Step(text);
        if (!switches.quiet) ShowMessage(text, startupWindow, icon);
    };
    RunRecord record;
    record.program = program.program;
    std::exception_ptr failure;
    try {
        if (!run.Owned()) {
            if (!switches.quiet) BringRunningSetupToFront();
            tell(std::wstring(kProductName) +
                     L" setup is already running.\r\n\r\nFinish it, or cancel it, before you start the "
                     L"installer or the uninstaller again.",
                 nullptr, MB_ICONINFORMATION);
            return ExitCode::AlreadyRunning;
        }
        Services services(instance, program, switches.quiet, log);
        forms::Win32Forms& runtime = services.runtime;
        const ExitCode exitCode = [&] {
            try {
                const Outcome outcome = program.run(services.platform, record);
                // A window procedure may have failed where no pump came after it to pass it on.
                if (const auto late = runtime.FirstWindowFailure()) std::rethrow_exception(late);
                switch (outcome) {
                    case Outcome::Completed: return ExitCode::Completed;
                    case Outcome::Cancelled:
                        log.Step(L"Cancelled by the user; nothing changed");
                        return ExitCode::Cancelled;
                    case Outcome::HelpFileOnly:
                        tell(HelpFileOnlyMessage(program.program, win32::AccountName(),
                                                 services.accounts.Context().shell == ShellOwner::NoShell),
                             nullptr, MB_ICONINFORMATION);
                        return ExitCode::OtherAccount;
                    case Outcome::HelpFileNeedsAdministrator:
                        tell(DescribeHelpFileLeft(record), nullptr, MB_ICONWARNING);
                        return ExitCode::HelpFileNeedsAdministrator;
                }
                return ExitCode::Failed;
            } catch (const ExcelRunsUnattended&) {
                // Found before anything changed; a deployment tool can try again later.
                log.Step(
                    L"Excel is open (a window of class XLMAIN on screen or minimised), and /quiet forbids asking to "
                    L"close it; nothing changed");
                return ExitCode::ExcelRunning;
            } catch (...) {
                // The sequence has made Excel quit and let its objects go; the start-up window is
                // still up, and goes with the rest once the report is read.
                tell(ReportOf(std::current_exception(), record), runtime.WindowOf(Form::Form1), MB_ICONERROR);
                return ExitCode::Failed;
            }
        }();
        // Every window is gone by now, and a failure's report has been read: nobody watches the
        // wait for the Excel this run started to end.
        runtime.End();
        services.closingExcel.WaitUntilEnded(runtime, log);
        return exitCode;
    } catch (...) {
        failure = std::current_exception();
    }
    tell(ReportOf(failure, record), nullptr, MB_ICONERROR);
    return ExitCode::Failed;
}

}  // namespace

int RunSetupProgram(HINSTANCE instance, const SetupProgram& program) {
    const std::vector<std::wstring> arguments = ArgumentsOf(::GetCommandLineW());
    const RunSwitches switches = ParseSwitches(arguments);
    // Whether this installer checks its files: a release build, made with the add-in's files, does.
    std::wstring checks;
    if (program.program == Program::Installer) {
        win32::Win32FileDetails files;
        checks = ChecksItsFiles(files) ? L"This installer checks its files against the SHA-256 sums it carries, "
                                         L"before it changes anything."
                                       : L"This installer carries no sums of its files and checks none (a build "
                                         L"made without the add-in's files).";
    }
    if (switches.help || !switches.unknown.empty()) {
        if (switches.help || !switches.quiet)
            ShowMessage(SwitchesHelp(switches.unknown, checks), nullptr, MB_ICONINFORMATION);
        return static_cast<int>(switches.unknown.empty() ? ExitCode::Completed : ExitCode::UnknownArgument);
    }
    if (switches.helpFileStep) {
        return static_cast<int>(
            StartedHelpFileStep(win32::IsElevated(), [&] { return RunHelpFileStep(instance, program); }));
    }
    const OneRunAtATime run;
    NoRunLog noLog;
    std::unique_ptr<FileRunLog> fileLog;
    if (!switches.logFile.empty()) {
        try {
            fileLog = std::make_unique<FileRunLog>(switches.logFile);
        } catch (const SetupError& error) {
            // Nothing has been done yet, and nothing will be without the record that was asked for.
            if (!switches.quiet) {
                ShowMessage(L"The log file could not be opened, so nothing was done.\r\n\r\n" + switches.logFile +
                                L"\r\n" + error.Description(),
                            nullptr, MB_ICONERROR);
            }
            return static_cast<int>(ExitCode::Failed);
        }
    }
    RunLog& log = fileLog ? static_cast<RunLog&>(*fileLog) : noLog;
    std::wstring switchesGiven;
    if (switches.quiet) switchesGiven += L" /quiet";
    if (fileLog) switchesGiven += L" /log " + fileLog->Path();
    log.Step(std::wstring(kProductName) + L" " + std::wstring(ProgramNoun(program.program)) + L" " + OwnVersion() +
             L", account " + win32::AccountName() + L", switches" + switchesGiven + L": started" +
             (checks.empty() ? L"" : L". " + checks));
    const int exitCode = static_cast<int>(Run(instance, program, switches, run, log));
    log.Step(L"Exit code " + std::to_wstring(exitCode));
    return exitCode;
}

}  // namespace qh::program
