// The stand-in Excel: an out-of-process automation server that tests register as
// "Excel.Application". See stand_in_identity.h for what tests can set and read.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "class_factory.h"
#include "command_line.h"
#include "journal.h"
#include "main_window.h"
#include "registration.h"
#include "stand_in_identity.h"
#include "test_settings.h"

namespace {

using qh::testing::RunMode;

// A server that COM started but no client took is not kept for ever.
constexpr std::chrono::seconds kUnclaimedServerLifetime{60};
// A hang at start lasts this long at most, so that no test can leave a stand-in behind for good.
constexpr DWORD kLongestHang = 180'000;

struct LocalFreer {
    void operator()(wchar_t** arguments) const noexcept { ::LocalFree(arguments); }
};

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    std::unique_ptr<wchar_t*, LocalFreer> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> result;
    for (int i = 1; arguments && i < count; ++i) result.emplace_back(arguments.get()[i]);
    return result;
}

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

class ClassRegistration {
public:
    explicit ClassRegistration(IUnknown* factory) {
        result_ = ::CoRegisterClassObject(qh::testing::kStandInExcelClsid, factory, CLSCTX_LOCAL_SERVER,
                                          REGCLS_SINGLEUSE, &cookie_);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration() {
        if (SUCCEEDED(result_)) ::CoRevokeClassObject(cookie_);
    }
    HRESULT result() const noexcept { return result_; }

private:
    DWORD cookie_ = 0;
    HRESULT result_;
};

void RunMessageLoop() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

int RunExcel(HINSTANCE instance, bool automation) {
    ComApartment apartment;
    if (FAILED(apartment.result())) return 1;
    qh::testing::JournalEvent(L"started", automation ? L"automation" : L"user");
    if (automation && qh::testing::PromptAtStartSetting()) {
        // A sign-in or activation question on screen: no answer to automation until it is
        // answered, and closing it ends Excel. Bounded like a hang.
        qh::testing::JournalEvent(L"prompt-at-start", L"");
        std::thread([] {
            ::Sleep(kLongestHang);
            ::TerminateProcess(::GetCurrentProcess(), 1);
        }).detach();
        ::MessageBoxW(nullptr, L"Sign in to activate Excel.", qh::testing::kUserExcelTitle, MB_OKCANCEL);
        qh::testing::JournalEvent(L"ended", L"after its prompt was answered");
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
    if (automation && qh::testing::HangAtStartSetting()) {
        // A first-run or licence prompt nobody sees: no window yet, no class, no answer.
        qh::testing::JournalEvent(L"hang-at-start", L"");
        ::Sleep(kLongestHang);
        qh::testing::JournalEvent(L"ended", L"after its longest hang");
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
    int exitCode = 0;
    {
        qh::testing::MainWindow mainWindow(instance, !automation);
        if (automation) {
            // An Excel that takes its time to start: its window is there, its class not yet.
            if (const auto slowStart = qh::testing::SlowStartSetting(); slowStart.count() > 0) {
                qh::testing::JournalEvent(L"slow-start", std::to_wstring(slowStart.count()) + L" ms");
                ::Sleep(static_cast<DWORD>(slowStart.count()));
            }
            qh::testing::ClassFactory factory(mainWindow);
            ClassRegistration registration(&factory);
            if (FAILED(registration.result())) {
                exitCode = 1;
            } else {
                mainWindow.CloseAfter(kUnclaimedServerLifetime);
                RunMessageLoop();
            }
        } else {
            RunMessageLoop();
        }
    }
    qh::testing::JournalEvent(L"ended");
    // Under Wine, leaving the apartment after the class was revoked now and then never returns,
    // and a process that outlives its "ended" line holds the test runner's output open. Nothing
    // is left to tidy: end here.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}

int RunRegistration(bool registering) {
    ComApartment apartment;
    try {
        if (registering) {
            qh::testing::RegisterStandIn(OwnPath());
        } else {
            qh::testing::UnregisterStandIn();
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StandInExcel: %s\n", error.what());
        return 1;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        switch (qh::testing::ParseRunMode(ProgramArguments())) {
            case RunMode::UserExcel: return RunExcel(instance, false);
            case RunMode::Automation: return RunExcel(instance, true);
            case RunMode::Register: return RunRegistration(true);
            case RunMode::Unregister: return RunRegistration(false);
            case RunMode::Invalid: break;
        }
        std::fprintf(stderr, "usage: StandInExcel [/regserver | /unregserver | -Embedding]\n");
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "StandInExcel: %s\n", error.what());
        return 1;
    }
}
