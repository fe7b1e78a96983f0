#include <windows.h>

#include "uninstall/uninstall_sequence.h"
#include "program/setup_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qh::program::RestrictLibrarySearch();
    return qh::program::RunSetupProgram(instance, qh::kUninstaller);
}
