// DemoDriver install|uninstall <medium folder> <screenshot folder> [picture name suffix]
// Runs the installer or the uninstaller from the medium as a user would, with the user's
// Excel open at first so that the Excel prompt shows, answers every window, and saves a picture of
// each window as it appears: the window alone, and the whole screen at that moment. The suffix
// ("-144") names the pictures of a run at another display scale.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "setup_programs.h"
#include "stand_in_control.h"
#include "ui_driver/ui_driver.h"

namespace {

namespace fs = std::filesystem;
using namespace qh::testing;
using namespace std::chrono_literals;

constexpr wchar_t kOk[] = L"Ok";

fs::path screenshots;
std::wstring suffix;

void Say(const std::wstring& text) {
    std::fwprintf(stdout, L"demo: %ls\n", text.c_str());
    std::fflush(stdout);
}

void Picture(HWND window, const std::wstring& name) {
    SaveWindowPng(window, screenshots / (name + suffix + L".png"));
    SaveWindowPng(::GetDesktopWindow(), screenshots / (name + suffix + L"-screen.png"));
    Say(L"saved " + name + suffix + L".png");
}

HWND StartUpWindow(const Process& process) {
    WindowFilter filter;
    filter.processId = process.Pid();
    filter.caption = L"Quenzo Halvorn";
    // Its size is the design's at 96 dpi only.
    if (suffix.empty()) filter.clientSize = kStartupWindowSize;
    return WaitForWindow(filter, 20s);
}

int Install(const fs::path& medium) {
    Say(L"starting the user's Excel, so that the installer finds it running");
    UserExcel usersExcel;
    Process installer = StartProgram((medium / kInstallerFile).wstring(), medium.wstring());
    HWND form1 = StartUpWindow(installer);
    HWND prompt = WaitForWindowWithChildText(installer.Pid(), kExitExcelText, 20s);
    Picture(prompt, L"1-install-ExitExcel");
    Say(L"closing the user's Excel and pressing Ok");
    usersExcel.Close();
    usersExcel.WaitForEnd(10s);
    WaitUntilNoExcelWindow(10s);
    ClickButton(FindChildByText(prompt, kOk));
    // While the installer starts its own Excel, the start-up window is the only one on screen.
    WaitForWindowGone(prompt);
    Picture(form1, L"2-install-Form1");
    HWND copying = WaitForWindowWithChildText(installer.Pid(), kCopyingText, 20s);
    Picture(copying, L"3-install-Copying");
    const DWORD exitCode = WaitForExit(installer, 30s);
    Say(L"the installer ended with exit code " + std::to_wstring(exitCode));
    return static_cast<int>(exitCode);
}

int Uninstall(const fs::path& medium) {
    WaitUntilNoExcelWindow(10s);
    Process uninstaller = StartProgram((medium / kUninstallerFile).wstring(), medium.wstring());
    StartUpWindow(uninstaller);
    HWND confirmation = WaitForWindowWithChildText(uninstaller.Pid(), kUnInstallText, 20s);
    // The start-up window is behind the confirmation, as the user sees it.
    Picture(confirmation, L"4-uninstall-UnInstall");
    Say(L"pressing Ok to confirm");
    ClickButton(FindChildByText(confirmation, kOk));
    HWND deleting = WaitForWindowWithChildText(uninstaller.Pid(), kDeletingText, 20s);
    Picture(deleting, L"5-uninstall-Deleting");
    const DWORD exitCode = WaitForExit(uninstaller, 30s);
    Say(L"the uninstaller ended with exit code " + std::to_wstring(exitCode));
    return static_cast<int>(exitCode);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring program = argc == 4 || argc == 5 ? argv[1] : L"";
    if (program != L"install" && program != L"uninstall") {
        std::fwprintf(stderr, L"usage: DemoDriver install|uninstall <medium folder> <screenshot folder> [suffix]\n");
        return 2;
    }
    try {
        const fs::path medium = WinePathFromUnix(argv[2]);
        screenshots = WinePathFromUnix(argv[3]);
        if (argc == 5) suffix = argv[4];
        fs::create_directories(screenshots);
        return (program == L"install" ? Install(medium) : Uninstall(medium)) == 0 ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "demo: %s\n", failure.what());
        return 1;
    }
}
