// A DLL planted beside a program under the name of one the program might look for. Being loaded
// is all it does: it leaves "<its own file>.loaded" beside itself, holding the loading program's
// path, and then refuses the load, so that a program that picked it up fails at once instead of
// calling into a DLL with none of the real one's functions.
#include <windows.h>

#include <string>

namespace {

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

void LeaveMarker(HMODULE self) {
    const std::wstring marker = ModulePath(self) + L".loaded";
    HANDLE file =
        ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::wstring loader = ModulePath(nullptr);
    DWORD written = 0;
    ::WriteFile(file, loader.data(), static_cast<DWORD>(loader.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    LeaveMarker(self);
    return FALSE;
}
