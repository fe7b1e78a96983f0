// The control of the safe-loading test: loads one DLL by its bare name, the way a program asks for
// a library it does not import, and says by its exit code where the DLL came from.
//   load_by_name [--restricted] name.dll
// With --restricted it first calls the programs' own RestrictLibrarySearch, as their entry points do.
#include <windows.h>

#include <string>
#include <string_view>

#include "program/setup_program.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace {

constexpr int kFromSystemFolder = 0;
constexpr int kFromElsewhere = 1;
constexpr int kNotLoaded = 2;
constexpr int kUsage = 3;

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, static_cast<UINT>(std::size(folder)));
    return std::wstring(folder, length);
}

std::wstring FolderOf(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(module, path, static_cast<DWORD>(std::size(path)));
    const std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L'\\'));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool restricted = argc == 3 && std::wstring_view(argv[1]) == L"--restricted";
    if (argc != 2 && !restricted) return kUsage;
    if (restricted) qh::program::RestrictLibrarySearch();

    const qh::win32::UniqueLibrary library(::LoadLibraryW(argv[argc - 1]));
    if (!library) return kNotLoaded;
    return ::CompareStringOrdinal(FolderOf(library.get()).c_str(), -1, SystemFolder().c_str(), -1, TRUE) == CSTR_EQUAL
               ? kFromSystemFolder
               : kFromElsewhere;
}
