// How a refused file call of the scripting runtime is described: "in use" only when the thread's
// last error after the call is a sharing refusal, never for a read-only file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/file_system.h"
#include "core/setup_error.h"
#include "held_file.h"
#include "setup_bench.h"
#include "win32/com_values.h"
#include "win32/dispatch_automation.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

constexpr wchar_t kInUse[] = L"The file is in use by another program";
constexpr HRESULT kPermissionDenied = static_cast<HRESULT>(0x800A0046);

struct DescriptionCase {
    const char* name;
    HRESULT code;
    const wchar_t* description;
    DWORD lastError;
    const wchar_t* expected;
};

TEST(AutomationErrorDescription, SaysInUseOnlyForASharingRefusal) {
    const DescriptionCase cases[] = {
        // What Wine's runtime answers for a file held without sharing (E_FAIL, no text, error 32).
        {"Wine, held file", E_FAIL, L"", ERROR_SHARING_VIOLATION,
         L"The file is in use by another program (sharing violation)"},
        {"Wine, locked range", E_FAIL, L"", ERROR_LOCK_VIOLATION,
         L"The file is in use by another program (sharing violation)"},
        // What Windows' runtime answers: its own "Permission denied", with the sharing refusal behind it.
        {"Windows, held file", kPermissionDenied, L"Permission denied", ERROR_SHARING_VIOLATION,
         L"The file is in use by another program (permission denied)"},
        // A read-only file is refused with the same code, but access denied behind it.
        {"read-only file", kPermissionDenied, L"", ERROR_ACCESS_DENIED, L"Permission denied"},
        {"read-only file, with text", kPermissionDenied, L"Permission denied", ERROR_ACCESS_DENIED,
         L"Permission denied"},
        // A sharing refusal left behind by something else does not make another failure "in use".
        {"file not found", static_cast<HRESULT>(0x800A0035), L"", ERROR_SHARING_VIOLATION, L"File not found"},
        {"server's own text", static_cast<HRESULT>(0x800A0035), L"Not there", ERROR_SUCCESS, L"Not there"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win32::DescribeAutomationError(c.code, c.description, c.lastError), c.expected) << c.name;
    }
    EXPECT_FALSE(Contains(win32::DescribeAutomationError(E_FAIL, L"", ERROR_SUCCESS), kInUse))
        << "E_FAIL alone says nothing about sharing";
}

// The real scripting runtime, reached as the programs reach it.
class ScriptingRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(target_);
        WriteBytes(source_, SampleContent(kMacroWorkbook));
        WriteBytes(target_ / kMacroWorkbook, {'o', 'l', 'd'});
    }

    std::wstring FailureOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const SetupError& failure) {
            return failure.Description();
        }
        ADD_FAILURE() << "the call did not fail";
        return {};
    }

    win32::ComApartment apartment_;
    win32::DispatchFactory objects_;
    TempFolder folder_{L"in-use"};
    const fs::path source_ = folder_.path() / kMacroWorkbook;
    const fs::path target_ = folder_.path() / L"XLSTART";
    const fs::path installed_ = target_ / kMacroWorkbook;
};

TEST_F(ScriptingRuntime, CopyOntoAHeldFileIsDescribedAsInUse) {
    AutomationPtr fileSystem = objects_.CreateObject(kFileSystemProgramId);
    HeldFile held(installed_);
    const std::wstring failure = FailureOf([&] {
        fileSystem->Call(L"CopyFile", {source_.wstring(), target_.wstring() + L"\\", true});
    });
    EXPECT_TRUE(Contains(failure, kInUse)) << failure;
}

TEST_F(ScriptingRuntime, CopyFromAHeldFileIsDescribedAsInUse) {
    AutomationPtr fileSystem = objects_.CreateObject(kFileSystemProgramId);
    HeldFile held(source_);
    const std::wstring failure = FailureOf([&] {
        fileSystem->Call(L"CopyFile", {source_.wstring(), target_.wstring() + L"\\", true});
    });
    EXPECT_TRUE(Contains(failure, kInUse)) << failure;
}

TEST_F(ScriptingRuntime, DeleteOfAHeldFileIsDescribedAsInUse) {
    AutomationPtr fileSystem = objects_.CreateObject(kFileSystemProgramId);
    HeldFile held(installed_);
    const std::wstring failure = FailureOf([&] { fileSystem->Call(L"DeleteFile", {installed_.wstring()}); });
    EXPECT_TRUE(Contains(failure, kInUse)) << failure;
}

TEST_F(ScriptingRuntime, DeleteOfAReadOnlyFileIsPermissionDeniedNotInUse) {
    AutomationPtr fileSystem = objects_.CreateObject(kFileSystemProgramId);
    ASSERT_TRUE(::SetFileAttributesW(installed_.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring failure = FailureOf([&] { fileSystem->Call(L"DeleteFile", {installed_.wstring()}); });
    ::SetFileAttributesW(installed_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(Contains(failure, L"Permission denied")) << failure;
    EXPECT_FALSE(Contains(failure, kInUse)) << failure;
}

}  // namespace
}  // namespace qh::testing
