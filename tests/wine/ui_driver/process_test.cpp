#include <gtest/gtest.h>

#include <chrono>

#include "png_decoder.h"
#include "sample_window.h"
#include "temp_file.h"

namespace qh::testing {
namespace {

using namespace std::chrono_literals;

TEST(WinePath, UnixPathsBecomeDrivePathsAndOthersStay) {
    EXPECT_EQ(WinePathFromUnix(L"/tmp/some folder/x.exe"), L"Z:\\tmp\\some folder\\x.exe");
    EXPECT_EQ(WinePathFromUnix(L"C:\\windows\\notepad.exe"), L"C:\\windows\\notepad.exe");
    EXPECT_EQ(WinePathFromUnix(L"relative\\x.exe"), L"relative\\x.exe");
    EXPECT_EQ(WinePathFromUnix(L""), L"");
}

TEST(StartProgram, MissingProgramFailsNamingIt) {
    try {
        StartProgram(L"C:\\no\\such\\program.exe");
        FAIL() << "a missing program started";
    } catch (const std::runtime_error& failure) {
        EXPECT_NE(std::string(failure.what()).find("C:\\\\no\\\\such\\\\program.exe"), std::string::npos)
            << failure.what();
    }
}

TEST(StartProgram, WaitForExitIsBoundedAndTerminateEndsTheProgram) {
    Process process = StartProgram(kSampleWindowExe);
    EXPECT_TRUE(IsRunning(process));
    // Ended before its first window is up, a program leaves Wine's desktop process (explorer.exe)
    // running on (over 80 s seen), holding the test runner's output open.
    WaitForWindow(MainWindowDesign(process.Pid()), kFirstWindowTimeout);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(WaitForExit(process, 300ms), std::runtime_error);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 2s);

    Terminate(process, 77);
    EXPECT_FALSE(IsRunning(process));
    EXPECT_EQ(WaitForExit(process, 0ms), 77U);
}

TEST(StartProgram, DestroyingARunningProcessTerminatesIt) {
    HANDLE observer = nullptr;
    {
        Process process = StartProgram(kSampleWindowExe);
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), process.Handle(), ::GetCurrentProcess(), &observer,
                                      SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
        WaitForWindow(MainWindowDesign(process.Pid()), kFirstWindowTimeout);
    }
    win32::UniqueKernelHandle owned(observer);
    ASSERT_EQ(::WaitForSingleObject(observer, 0), WAIT_OBJECT_0) << "the program outlived its Process";
    DWORD exitCode = 0;
    ::GetExitCodeProcess(observer, &exitCode);
    EXPECT_EQ(exitCode, Process::kTerminatedExitCode);
}

TEST(StartProgram, WorkingFolderIsTheGivenOne) {
    // The sample itself cannot report its folder; a command interpreter can.
    TempFile marker(L"cwd.txt");
    const auto folder = std::filesystem::temp_directory_path().wstring();
    Process process =
        StartProgram(L"C:\\windows\\system32\\cmd.exe", folder, L"/c cd > \"" + marker.Path().wstring() + L"\"");
    EXPECT_EQ(WaitForExit(process), 0U);
    const auto bytes = ReadFileBytes(marker.Path());
    std::string written(bytes.begin(), bytes.end());
    while (!written.empty() && (written.back() == '\n' || written.back() == '\r')) written.pop_back();
    std::wstring expected = folder;
    if (!expected.empty() && expected.back() == L'\\') expected.pop_back();
    EXPECT_EQ(written, Utf8(expected));
}

}  // namespace
}  // namespace qh::testing
