#include "win32/find_window_lookup.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/unique_handle.h"

namespace qh::win32 {
namespace {

// How long an ended process may take to go.
constexpr DWORD kEndWaitMilliseconds = 5000;

struct HiddenWindowSearch {
    std::wstring className;
    std::vector<DWORD> owners;
};

BOOL CALLBACK CollectOwnerOfHidden(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<HiddenWindowSearch*>(context);
    wchar_t className[64]{};
    ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (search.className != className || ::IsWindowVisible(window)) return TRUE;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != 0 && std::find(search.owners.begin(), search.owners.end(), owner) == search.owners.end()) {
        search.owners.push_back(owner);
    }
    return TRUE;
}

}  // namespace

bool FindWindowLookup::TopLevelWindowExists(std::string_view className) {
    const std::string name(className);
    return ::FindWindowA(name.c_str(), nullptr) != nullptr;
}

int FindWindowLookup::EndOwnersOfHiddenWindows(std::string_view className) {
    HiddenWindowSearch search{std::wstring(className.begin(), className.end()), {}};
    ::EnumWindows(CollectOwnerOfHidden, reinterpret_cast<LPARAM>(&search));
    int ended = 0;
    for (DWORD owner : search.owners) {
        UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner));
        if (process && ::TerminateProcess(process.get(), 1)) {
            ::WaitForSingleObject(process.get(), kEndWaitMilliseconds);
            ++ended;
        }
    }
    return ended;
}

}  // namespace qh::win32
