#include <windows.h>

#include "install/install_sequence.h"
#include "program/setup_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qh::win32::RestrictLibrarySearch();
    constexpr qh::Form kForms[] = {qh::Form::Form1, qh::Form::ExitExcel, qh::Form::Copying};
    return qh::win32::RunSetupProgram(instance, qh::Program::Installer, kForms, qh::RunInstall);
}
