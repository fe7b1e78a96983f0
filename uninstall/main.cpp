#include <windows.h>

#include "uninstall/uninstall_sequence.h"
#include "program/setup_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qh::win32::RestrictLibrarySearch();
    constexpr qh::Form kForms[] = {qh::Form::Form1, qh::Form::ExitExcel, qh::Form::UnInstall, qh::Form::Deleting};
    return qh::win32::RunSetupProgram(instance, qh::Program::Uninstaller, kForms, qh::RunUninstall);
}
