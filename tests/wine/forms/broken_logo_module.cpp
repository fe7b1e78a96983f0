// A module that only carries resources (broken_logo.rc) for the forms tests to build windows from.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
