#include "stand_in_control.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "registry_key.h"
#include "stand_in_identity.h"
#include "utf8.h"

namespace qh::testing {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPollInterval{20};

template <typename Condition>
bool WaitFor(std::chrono::milliseconds timeout, Condition condition) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

UniqueRegistryKey SettingsKey() { return CreateKeyForWriting(HKEY_CURRENT_USER, kSettingsKey); }

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchExcelWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    wchar_t className[64]{};
    ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) != kExcelWindowClass) return TRUE;
    search->found = window;
    return FALSE;
}

std::wstring TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1]{};
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
    return std::wstring(buffer, length);
}

}  // namespace

std::wstring WindowsPathFromUnixPath(std::wstring_view path) {
    std::wstring result(path);
    if (!result.starts_with(L'/')) return result;
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return L"Z:" + result;
}

std::wstring StandInExcelPath() { return WindowsPathFromUnixPath(L"" QH_STAND_IN_EXCEL_PATH); }

void SetStartupPathSetting(std::wstring_view text) {
    WriteText(SettingsKey().get(), kStartupPathValue, std::wstring(text));
}

void SetFailCreationSetting(bool fail) { WriteNumber(SettingsKey().get(), kFailCreationValue, fail ? 1 : 0); }

void SetJournalSetting(std::wstring_view path) { WriteText(SettingsKey().get(), kJournalValue, std::wstring(path)); }

void SetNumberSetting(const wchar_t* valueName, DWORD number) { WriteNumber(SettingsKey().get(), valueName, number); }

void SetTextSetting(const wchar_t* valueName, std::wstring_view text) {
    WriteText(SettingsKey().get(), valueName, std::wstring(text));
}

void ClearStandInSettings() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

StandInSettingsScope::StandInSettingsScope() { ClearStandInSettings(); }

StandInSettingsScope::~StandInSettingsScope() { ClearStandInSettings(); }

void StandInSettingsScope::SetJournal(std::wstring path) {
    journal_ = path.empty() ? FreshJournalPath() : std::move(path);
    SetJournalSetting(journal_);
}

std::wstring FreshJournalPath() {
    static std::atomic<unsigned> counter{0};
    const std::wstring folder = TemporaryFolder();
    for (;;) {
        std::wstring path = folder + L"stand-in-journal-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++) + L".txt";
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    }
}

std::vector<std::wstring> ReadJournalLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return lines;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(FromUtf8(line));
        start = end + 1;
    }
    return lines;
}

std::optional<JournalEntry> ParseJournalLine(std::wstring_view line) {
    const size_t firstSpace = line.find(L' ');
    if (firstSpace == std::wstring_view::npos || firstSpace == 0) return std::nullopt;
    JournalEntry entry;
    entry.event = line.substr(0, firstSpace);
    std::wstring_view rest = line.substr(firstSpace + 1);
    const size_t secondSpace = rest.find(L' ');
    const std::wstring_view number = rest.substr(0, secondSpace);
    if (number.empty() ||
        !std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        return std::nullopt;
    }
    entry.processId = static_cast<DWORD>(std::stoul(std::wstring(number)));
    if (secondSpace != std::wstring_view::npos) entry.detail = rest.substr(secondSpace + 1);
    return entry;
}

std::vector<JournalEntry> ReadJournal(const std::wstring& path) {
    std::vector<JournalEntry> entries;
    for (const std::wstring& line : ReadJournalLines(path)) {
        auto entry = ParseJournalLine(line);
        if (!entry) throw std::runtime_error("malformed journal line: " + ToUtf8(line));
        entries.push_back(std::move(*entry));
    }
    return entries;
}

std::vector<DWORD> UnendedProcesses(const std::vector<JournalEntry>& journal) {
    std::vector<DWORD> running;
    for (const JournalEntry& entry : journal) {
        if (entry.event == L"started") running.push_back(entry.processId);
        if (entry.event == L"ended") std::erase(running, entry.processId);
    }
    return running;
}

size_t AutomationInstances(const std::vector<JournalEntry>& journal) {
    return static_cast<size_t>(std::count_if(journal.begin(), journal.end(), [](const JournalEntry& e) {
        return e.event == L"started" && e.detail == L"automation";
    }));
}

bool ExcelWindowExists() { return ::FindWindowW(kExcelWindowClass, nullptr) != nullptr; }

HWND FindExcelWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(&MatchExcelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntilNoExcelWindow(std::chrono::milliseconds timeout) {
    return WaitFor(timeout, [] { return !ExcelWindowExists(); });
}

bool IsProcessRunning(DWORD processId) {
    win32::UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool WaitForProcessEnd(DWORD processId, std::chrono::milliseconds timeout) {
    win32::UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return true;
    return ::WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

size_t InstancesLeftRunning(const std::wstring& journalPath, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    size_t running = 0;
    for (DWORD processId : UnendedProcesses(ReadJournal(journalPath))) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (!WaitForProcessEnd(processId, std::max(left, std::chrono::milliseconds(0)))) ++running;
    }
    return running;
}

size_t EndLeftoverInstances(const std::wstring& journalPath) {
    size_t ended = 0;
    for (DWORD processId : UnendedProcesses(ReadJournal(journalPath))) {
        if (!IsProcessRunning(processId)) continue;
        ++ended;
        if (HWND window = FindExcelWindowOf(processId)) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForProcessEnd(processId, std::chrono::seconds(5))) continue;
        win32::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
        if (process) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), 5000);
        }
    }
    return ended;
}

UserExcel::UserExcel() {
    const std::wstring path = StandInExcelPath();
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        throw std::runtime_error("cannot start the stand-in Excel: error " + std::to_string(::GetLastError()));
    }
    win32::UniqueKernelHandle thread(started.hThread);
    process_.reset(started.hProcess);
    processId_ = started.dwProcessId;
    const bool shown = WaitFor(std::chrono::seconds(15), [this] {
        window_ = FindExcelWindowOf(processId_);
        return window_ && ::IsWindowVisible(window_);
    });
    if (!shown) throw std::runtime_error("the user's stand-in Excel showed no visible XLMAIN window within 15 s");
}

UserExcel::~UserExcel() {
    if (::WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) return;
    Close();
    if (!WaitForEnd(std::chrono::seconds(5))) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

void UserExcel::Close() const noexcept {
    if (HWND window = FindExcelWindowOf(processId_)) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

bool UserExcel::WaitForEnd(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

}  // namespace qh::testing
