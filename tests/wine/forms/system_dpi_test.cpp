// The runtime at the resolution the system reports. The parent case sets the bench's resolution
// to 144 dpi, runs this program again for the child case, and puts the setting back.
#include <gtest/gtest.h>

#include <string>

#include "forms_test_support.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {
namespace {

constexpr wchar_t kChildVariable[] = L"QH_FORMS_DPI_CHILD";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

// Sets the resolution new processes see, and puts back what was there before.
class LogPixelsSetting {
public:
    explicit LogPixelsSetting(DWORD dpi) {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
            ERROR_SUCCESS) {
            hadValue_ = true;
            previous_ = value;
        }
        Write(dpi);
    }
    ~LogPixelsSetting() {
        if (hadValue_) {
            Write(previous_);
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
        }
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

private:
    static void Write(DWORD dpi) {
        EXPECT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
    }
    bool hadValue_ = false;
    DWORD previous_ = 0;
};

// The child case runs when this variable names the file where it reports that it ran.
std::wstring ChildReportPath() {
    wchar_t path[MAX_PATH * 2]{};
    const DWORD length = ::GetEnvironmentVariableW(kChildVariable, path, static_cast<DWORD>(std::size(path)));
    return length > 0 && length < std::size(path) ? std::wstring(path, length) : std::wstring();
}

bool IsChild() { return !ChildReportPath().empty(); }

std::wstring TemporaryReportPath() {
    wchar_t folder[MAX_PATH + 1]{};
    ::GetTempPathW(static_cast<DWORD>(std::size(folder)), folder);
    return std::wstring(folder) + L"qh_forms_dpi_child_" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
}

TEST(SystemDpi, LayoutFollowsTheSystemResolution) {
    if (IsChild()) GTEST_SKIP() << "the parent case";
    LogPixelsSetting setting(144);
    const std::wstring report = TemporaryReportPath();
    ::DeleteFileW(report.c_str());
    ::SetEnvironmentVariableW(kChildVariable, report.c_str());

    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring commandLine = L"\"" + self + L"\" --gtest_filter=SystemDpiChild.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &startup, &process);
    ::SetEnvironmentVariableW(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    win32::UniqueKernelHandle processHandle(process.hProcess);
    win32::UniqueKernelHandle threadHandle(process.hThread);
    ASSERT_EQ(::WaitForSingleObject(processHandle.get(), 60'000), WAIT_OBJECT_0) << "the child did not end in 60 s";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(processHandle.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u) << "the layout at 144 dpi failed in the child; its output tells why";
    // A child that skipped its case would end well too.
    EXPECT_NE(::GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES) << "the child case did not run";
    ::DeleteFileW(report.c_str());
}

TEST(SystemDpiChild, WindowsAreLaidOutFor144Dpi) {
    if (!IsChild()) GTEST_SKIP() << "runs in the child only";
    // What the programs' manifest declares.
    ::SetProcessDPIAware();
    // Images grow with the resolution alone: the design's 96 pixels come out as the resolution.
    EXPECT_EQ(forms::LayoutScale::OfSystem().ImagePixels(forms::kDesignDpi), 144);

    const Form forms[] = {Form::Form1, Form::ExitExcel};
    forms::Win32Forms runtime(::GetModuleHandleW(nullptr), forms, forms::LayoutScale::OfSystem());
    runtime.Show(Form::Form1, ShowMode::Modeless, std::nullopt);
    runtime.Show(Form::ExitExcel, ShowMode::Modeless, Form::Form1);
    HWND dialog = ::GetActiveWindow();
    ASSERT_NE(dialog, nullptr);
    RECT client{};
    ::GetClientRect(dialog, &client);
    // At least half as large again, as the font grew.
    const forms::LayoutScale scale(144);
    EXPECT_EQ(client.right, scale.PixelsAcross(7305));
    EXPECT_EQ(client.bottom, scale.PixelsDown(3075));
    EXPECT_GE(client.right, 731);
    EXPECT_GE(client.bottom, 308);
    HWND ok = ::GetFocus();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(PlaceInParent(ok)[0], scale.PixelsAcross(6180));
    EXPECT_EQ(PlaceInParent(ok)[1], scale.PixelsDown(2040));
    EXPECT_EQ(FontOf(ok).lfHeight, -17);

    win32::UniqueFileHandle ran(::CreateFileW(ChildReportPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qh::testing
