#include "win32/setup_program.h"

#include <exception>
#include <string>

#include "core/setup_error.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"
#include "win32/forms/forms_runtime.h"
#include "win32/window_lookup.h"

namespace qh::win32 {
namespace {

void ShowReport(const std::wstring& text) {
    ::MessageBoxW(nullptr, text.c_str(), kProductCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide.push_back(static_cast<unsigned char>(*c));
    return wide;
}

}  // namespace

void RestrictLibrarySearch() noexcept {
    // A setup program is often started from a download folder, where a planted DLL named like
    // one loaded by search would otherwise be picked up.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

int RunSetupProgram(HINSTANCE instance, std::span<const Form> forms, const Sequence& sequence) {
    RunRecord record;
    std::wstring report;
    try {
        ComApartment apartment;
        // Declared after the apartment: every object is released before COM is left, also
        // when a failure unwinds the run; the windows are gone before the report shows.
        auto runtime = MakeFormsRuntime(instance, forms);
        FindWindowLookup windows;
        DispatchFactory objects;
        Platform platform{windows, objects, *runtime};
        return sequence(platform, record) == Outcome::Completed ? kExitCompleted : kExitCancelled;
    } catch (const SetupError& failure) {
        report = DescribeFailure(failure, record);
    } catch (const std::exception& failure) {
        report = DescribeUnexpectedFailure(Widen(failure.what()), record);
    }
    ShowReport(report);
    return kExitFailed;
}

}  // namespace qh::win32
