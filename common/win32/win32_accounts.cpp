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

}  // namespace

bool Win32Accounts::RunsAsSignedInUser() {
    std::string own = UserOf(::GetCurrentProcess());
    if (own.empty()) return true;  // nothing to compare: the interactive run as it always was
    for (const WELL_KNOWN_SID_TYPE service : {WinLocalSystemSid, WinLocalServiceSid, WinNetworkServiceSid}) {
        if (::IsWellKnownSid(SidOf(own), service)) return false;
    }
    // The shell's owner is the person signed in; with no shell (a bench, a server core), the run
    // counts as theirs.
    const HWND shell = ::GetShellWindow();
    DWORD shellProcessId = 0;
    if (!shell || !::GetWindowThreadProcessId(shell, &shellProcessId)) return true;
    const UniqueKernelHandle shellProcess(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
    // A shell this account may not even look at is someone else's.
    std::string signedIn = shellProcess ? UserOf(shellProcess.get()) : std::string();
    return !signedIn.empty() && ::EqualSid(SidOf(own), SidOf(signedIn));
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
