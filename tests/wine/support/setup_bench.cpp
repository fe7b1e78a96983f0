#include "setup_bench.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qh::testing {
namespace fs = std::filesystem;

namespace {

// The programs of this build, or those in QH_PROGRAMS_DIR (a Unix path) when it is set: the
// release check runs a round with the signed programs of the medium it made.
fs::path BuiltProgram(Program program) {
    const fs::path built =
        WinePathFromUnix(program == Program::Installer ? L"" QH_INSTALLER_PATH : L"" QH_UNINSTALLER_PATH);
    const auto folder = EnvironmentVariable(L"QH_PROGRAMS_DIR");
    return folder ? WinePathFromUnix(*folder) / built.filename() : built;
}

std::wstring UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    return std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64()) + L"-" +
           std::to_wstring(counter++);
}

}  // namespace

TempFolder::TempFolder(const std::wstring& nameHint)
    : path_(fs::temp_directory_path() / (L"qh-" + nameHint + L"-" + UniqueSuffix())) {
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::vector<char> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::vector<char>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + file.string());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<char> SampleContent(const std::wstring& fileName) {
    std::vector<char> bytes;
    for (int i = 0; i < 3000; ++i) {
        bytes.push_back(static_cast<char>(fileName[static_cast<size_t>(i) % fileName.size()] + i % 7));
    }
    return bytes;
}

fs::path HelpFolder() {
    wchar_t windows[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryW(windows, static_cast<UINT>(std::size(windows)));
    return fs::path(std::wstring(windows, length)) / L"Help";
}

Medium::Medium(const fs::path& folder) : folder_(folder.empty() ? fs::path(L"Q:\\") : folder) {
    fs::create_directories(folder_);
    for (const wchar_t* name : {kMacroWorkbook, kAddInWorkbook, kHelpFile}) {
        WriteBytes(folder_ / name, SampleContent(name));
        made_.push_back(folder_ / name);
    }
    for (Program program : {Program::Installer, Program::Uninstaller}) {
        fs::copy_file(BuiltProgram(program), ProgramPath(program), fs::copy_options::overwrite_existing);
        made_.push_back(ProgramPath(program));
    }
}

Medium::~Medium() {
    std::error_code ignored;
    for (const auto& file : made_) fs::remove(file, ignored);
}

fs::path Medium::ProgramPath(Program program) const { return folder_ / BuiltProgram(program).filename(); }

void Medium::RemoveFile(const std::wstring& fileName) const { fs::remove(folder_ / fileName); }

ExcelBench::ExcelBench(const std::wstring& startupFolderName)
    : root_(L"excel"), startupFolder_(root_.path() / startupFolderName) {
    settings.SetJournal();
    settings.SetStartupPath(startupFolder_.wstring());
    fs::create_directories(startupFolder_);
}

ExcelBench::~ExcelBench() { EndLeftoverInstances(settings.journal()); }

void ExcelBench::ReportStartupPathAs(const std::wstring& text) { settings.SetStartupPath(text); }

void ExcelBench::UseMissingStartupFolder(const std::wstring& relativePath) {
    startupFolder_ = root_.path() / relativePath;
    settings.SetStartupPath(startupFolder_.wstring());
    settings.SetLeaveStartupFolderMissing(true);
}

std::vector<JournalEntry> ExcelBench::Journal() const { return ReadJournal(settings.journal()); }

std::vector<std::wstring> ExcelBench::MembersCalled() const {
    std::vector<std::wstring> members;
    for (const auto& entry : Journal()) {
        if (entry.event == L"call") members.push_back(entry.detail);
    }
    return members;
}

std::vector<std::wstring> ExcelBench::JournalDetails(const std::wstring& event) const {
    std::vector<std::wstring> details;
    for (const auto& entry : Journal()) {
        if (entry.event == event) details.push_back(entry.detail);
    }
    return details;
}

size_t ExcelBench::InstancesStarted() const {
    size_t started = 0;
    for (const auto& entry : Journal()) started += entry.event == L"started" ? 1 : 0;
    return started;
}

void ExcelBench::ExpectNothingLeftRunning() const {
    EXPECT_EQ(InstancesLeftRunning(settings.journal()), 0u) << "an Excel instance was left running";
    EXPECT_TRUE(WaitUntilNoExcelWindow(10s)) << "an XLMAIN window is left";
}

std::vector<DWORD> EndStandInProcessesLeftBehind(const ExcelBench& excel, std::chrono::milliseconds grace) {
    std::vector<DWORD> started;
    for (const auto& entry : excel.Journal()) {
        if (entry.event == L"started" && std::find(started.begin(), started.end(), entry.processId) == started.end()) {
            started.push_back(entry.processId);
        }
    }
    std::vector<DWORD> ended;
    for (DWORD processId : started) {
        win32::UniqueKernelHandle process(
            ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        if (!process) continue;  // gone
        // Process ids are reused: only a stand-in counts.
        wchar_t image[MAX_PATH];
        DWORD length = static_cast<DWORD>(std::size(image));
        if (!::QueryFullProcessImageNameW(process.get(), 0, image, &length)) continue;
        const fs::path imagePath(std::wstring(image, length));
        if (imagePath.filename() != fs::path(StandInExcelPath()).filename()) continue;
        if (::WaitForSingleObject(process.get(), static_cast<DWORD>(grace.count())) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.get(), Process::kTerminatedExitCode);
            ::WaitForSingleObject(process.get(), 5000);
            ended.push_back(processId);
        }
    }
    return ended;
}

Process StartFromMedium(const Medium& medium, Program program) {
    return StartProgram(medium.ProgramPath(program).wstring(), medium.folder().wstring());
}

DWORD RunInstallerToEnd(const Medium& medium, std::chrono::milliseconds timeout) {
    Process installer = StartFromMedium(medium, Program::Installer);
    const DWORD exitCode = WaitForExit(installer, timeout);
    // The instance is still shutting down after Quit, and its hidden window counts as a running Excel.
    if (!WaitUntilNoExcelWindow(10s)) throw std::runtime_error("an XLMAIN window is left after the installer");
    return exitCode;
}

HWND WaitForDesign(const Process& process, const std::wstring& text, std::chrono::milliseconds timeout) {
    return WaitForWindowWithChildText(process.Pid(), text, timeout);
}

void ExpectSpokenAs(const WinEventRecorder& events, DWORD event, HWND window, long role,
                    const std::wstring& description) {
    if (event) events.WaitFor(event, window, 1s);
    const AccessibleReading read = ReadClientObject(window);
    EXPECT_EQ(read.role, role);
    EXPECT_EQ(read.name, L"Quenzo Halvorn");
    EXPECT_EQ(read.description, description);
    const std::vector<HWND> controls = DescendantWindows(window);
    const auto logo = std::find_if(controls.begin(), controls.end(),
                                   [](HWND control) { return ClassName(control) == L"QhPictureBox"; });
    ASSERT_NE(logo, controls.end());
    const AccessibleReading logoRead = ReadClientObject(*logo);
    EXPECT_EQ(logoRead.role, ROLE_SYSTEM_GRAPHIC);
    EXPECT_EQ(logoRead.name, L"Quenzo Halvorn logo");
}

void Press(HWND window, const std::wstring& caption) {
    HWND button = FindChildByText(window, caption);
    if (!button) throw std::runtime_error("no button with that caption");
    ClickButton(button);
}

HWND WaitForReport(const Process& process, std::chrono::milliseconds timeout) {
    WindowFilter filter;
    filter.processId = process.Pid();
    filter.className = L"#32770";
    filter.caption = L"Quenzo Halvorn";
    return WaitForWindow(filter, timeout);
}

std::wstring ReadAndDismissReport(const Process& process, std::chrono::milliseconds timeout) {
    return DismissReport(WaitForReport(process, timeout));
}

void ExpectReportInFront(HWND box) {
    EXPECT_TRUE(PollUntil(2s, [box] { return ::GetForegroundWindow() == box; })) << "the report is not in front";
    const HWND owner = ::GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr) << "the report has no owner";
    EXPECT_TRUE(::IsWindowVisible(owner));
    RECT client{};
    ::GetClientRect(owner, &client);
    EXPECT_EQ(client.right, kStartupWindowSize.cx) << "the report's owner is not the start-up window";
    EXPECT_EQ(client.bottom, kStartupWindowSize.cy);
}

std::wstring DismissReport(HWND box) {
    HWND message = FindChildById(box, 0xFFFF);
    const std::wstring text = message ? Caption(message) : std::wstring();
    HWND ok = FindChildById(box, IDOK);
    if (!ok) ok = FindChildByText(box, L"OK");
    if (!ok) throw std::runtime_error("the report has no OK button");
    ClickButton(ok);
    return text;
}

std::vector<std::wstring> FileNamesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qh::testing
