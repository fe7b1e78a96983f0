#include "win32/win32_processes.h"

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <cwchar>
#include <optional>

#include "core/paths.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

// How long an ended process may take to go.
constexpr DWORD kEndWaitMilliseconds = 5000;

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::optional<std::uint64_t> StartTimeOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
    return Ticks(created);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The registered command line of a class's local server, or empty. Looked up as COM looks it up:
// the user's classes before the machine's (Wine's HKEY_CLASSES_ROOT shows the machine's alone),
// and a 32-bit Excel may be registered in the 32-bit view only.
std::wstring LocalServerCommand(const std::wstring& classKey) {
    const std::wstring path = L"Software\\Classes\\" + classKey;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
            HKEY opened = nullptr;
            if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) continue;
            const UniqueHandle<HKEY, ::RegCloseKey> key(opened);
            DWORD size = 0;
            // REG_EXPAND_SZ comes expanded with this type.
            const DWORD types = RRF_RT_REG_SZ;
            if (::RegGetValueW(key.get(), nullptr, nullptr, types, nullptr, nullptr, &size) != ERROR_SUCCESS) continue;
            std::wstring command(size / sizeof(wchar_t), L'\0');
            if (::RegGetValueW(key.get(), nullptr, nullptr, types, nullptr, command.data(), &size) != ERROR_SUCCESS) {
                continue;
            }
            command.resize(::wcsnlen(command.c_str(), command.size()));
            return command;
        }
    }
    return {};
}

// The program a command line starts: quoted, or up to ".exe" (Excel's own entry is unquoted and
// its folder may hold spaces), or up to the first space.
std::wstring ProgramOfCommand(std::wstring_view command) {
    while (!command.empty() && command.front() == L' ') command.remove_prefix(1);
    if (!command.empty() && command.front() == L'"') {
        command.remove_prefix(1);
        return std::wstring(command.substr(0, command.find(L'"')));
    }
    for (std::size_t at = 0; at + 4 <= command.size(); ++at) {
        const std::size_t end = at + 4;
        if (SameName(command.substr(at, 4), L".exe") && (end == command.size() || command[end] == L' ')) {
            return std::wstring(command.substr(0, end));
        }
    }
    return std::wstring(command.substr(0, command.find(L' ')));
}

// A short (8.3) name is not the name the process runs under.
std::wstring LongPathOf(const std::wstring& path) {
    std::wstring longPath(MAX_PATH, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    longPath.resize(length > 0 && length < MAX_PATH ? length : 0);
    return longPath.empty() ? path : longPath;
}

bool HasVisibleWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        bool found = false;
    } search{processId};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && ::IsWindowVisible(window)) s.found = true;
            return !s.found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsOfClass(HWND window, std::string_view className) {
    wchar_t name[64]{};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return length > 0 && std::wstring_view(name, length) == std::wstring(className.begin(), className.end());
}

bool HasEnded(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// Ends it, unless it shows a window on screen, and waits briefly until it has gone.
Ending EndIfHidden(HANDLE process, DWORD processId) {
    if (HasEnded(process)) return Ending::AlreadyGone;
    if (HasVisibleWindow(processId)) return Ending::ShowsWindow;
    if (!::TerminateProcess(process, 1)) return HasEnded(process) ? Ending::AlreadyGone : Ending::Refused;
    ::WaitForSingleObject(process, kEndWaitMilliseconds);
    return Ending::Ended;
}

class Win32HeldProcess final : public HeldProcess {
public:
    Win32HeldProcess(UniqueKernelHandle process, DWORD processId) noexcept
        : process_(std::move(process)), processId_(processId) {}
    bool HasEnded() noexcept override { return win32::HasEnded(process_.get()); }
    Ending EndIfHidden() noexcept override { return win32::EndIfHidden(process_.get(), processId_); }

private:
    UniqueKernelHandle process_;
    DWORD processId_;
};

}  // namespace

std::wstring Win32Processes::ServerProgramOf(std::wstring_view programId) {
    const std::wstring id(programId);
    CLSID classId{};
    if (FAILED(::CLSIDFromProgID(id.c_str(), &classId))) return {};
    wchar_t classText[40]{};
    if (::StringFromGUID2(classId, classText, static_cast<int>(std::size(classText))) == 0) return {};
    const std::wstring program =
        ProgramOfCommand(LocalServerCommand(L"CLSID\\" + std::wstring(classText) + L"\\LocalServer32"));
    return program.empty() ? std::wstring() : FileNameOf(LongPathOf(program));
}

ProcessSnapshot Win32Processes::Running(std::wstring_view programFileName) {
    ProcessSnapshot snapshot;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    snapshot.takenAt = Ticks(now);
    const UniqueFileHandle processes(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes) ThrowLastError(L"CreateToolhelp32Snapshot");
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(processes.get(), &entry); more;
         more = ::Process32NextW(processes.get(), &entry)) {
        if (!SameName(entry.szExeFile, programFileName)) continue;
        // One that cannot even be asked when it started could not be ended either.
        const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        if (const auto started = StartTimeOf(process.get()))
            snapshot.processes.push_back({entry.th32ProcessID, *started});
    }
    return snapshot;
}

Ending Win32Processes::EndIfHidden(const ProcessStart& process) noexcept {
    // Opened first: from then on its number cannot pass to another process.
    const UniqueKernelHandle opened(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id));
    if (!opened || StartTimeOf(opened.get()) != process.startTime) return Ending::AlreadyGone;
    return win32::EndIfHidden(opened.get(), process.id);
}

std::unique_ptr<HeldProcess> Win32Processes::HoldOwnerOf(std::int32_t window, std::string_view className) {
    // Window handles carry 32 significant bits and widen with their sign.
    const HWND handle = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
    DWORD owner = 0;
    if (!::GetWindowThreadProcessId(handle, &owner) || !IsOfClass(handle, className)) return nullptr;
    UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner));
    if (!process) return nullptr;
    // The window may have gone, and its process with it, between the two looks.
    DWORD ownerNow = 0;
    if (!::GetWindowThreadProcessId(handle, &ownerNow) || ownerNow != owner) return nullptr;
    return std::make_unique<Win32HeldProcess>(std::move(process), owner);
}

}  // namespace qh::win32
