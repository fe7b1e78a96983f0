#include "win32/win32_accounts.h"

#include <windows.h>

#include <string>

#include "win32/unique_handle.h"

namespace qh::win32 {
namespace {

// The user a process runs as; empty when its token cannot be read.
std::string UserOf(HANDLE process) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &opened)) return {};
    const UniqueKernelHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::string user(size, '\0');
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
    return user;
}

PSID SidOf(std::string& user) { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }

// Whether the process's window station is one a user sees: the interactive WinSta0, not a
// service's or a batch job's.
bool OnInteractiveStation() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = ::GetProcessWindowStation();
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr)) return false;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool InSessionZero() {
    DWORD session = 0;
    return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0;
}

}  // namespace

RunContext Win32Accounts::Context() {
    RunContext run;
    std::string own = UserOf(::GetCurrentProcess());
    // Nothing to compare: the interactive run as it always was.
    if (own.empty()) return run;
    for (const WELL_KNOWN_SID_TYPE service : {WinLocalSystemSid, WinLocalServiceSid, WinNetworkServiceSid}) {
        if (::IsWellKnownSid(SidOf(own), service)) run.serviceAccount = true;
    }
    run.interactiveStation = OnInteractiveStation();
    run.sessionZero = InSessionZero();
    // The shell's owner is the person signed in.
    const HWND shell = ::GetShellWindow();
    DWORD shellProcessId = 0;
    if (!shell || !::GetWindowThreadProcessId(shell, &shellProcessId)) {
        run.shell = ShellOwner::NoShell;
        return run;
    }
    const UniqueKernelHandle shellProcess(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
    // A shell this account may not even look at is someone else's.
    std::string signedIn = shellProcess ? UserOf(shellProcess.get()) : std::string();
    run.shell = !signedIn.empty() && ::EqualSid(SidOf(own), SidOf(signedIn)) ? ShellOwner::ThisAccount
                                                                             : ShellOwner::AnotherAccount;
    return run;
}

std::wstring AccountName() {
    std::string own = UserOf(::GetCurrentProcess());
    wchar_t name[256]{};
    wchar_t domain[256]{};
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    DWORD domainLength = static_cast<DWORD>(std::size(domain));
    SID_NAME_USE use{};
    if (own.empty() || !::LookupAccountSidW(nullptr, SidOf(own), name, &nameLength, domain, &domainLength, &use)) {
        return L"(unknown account)";
    }
    return std::wstring(domain) + L"\\" + name;
}

}  // namespace qh::win32
