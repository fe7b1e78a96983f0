#include <windows.h>

#include "install/install_sequence.h"
#include "program/setup_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qh::win32::RestrictLibrarySearch();
    return qh::win32::RunSetupProgram(instance, qh::kInstaller);
}
