// The stand-in Excel seen as the programs see it: through COM, its XLMAIN window and its journal.
#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "com_test_helpers.h"
#include "stand_in_control.h"
#include "stand_in_identity.h"
#include "utf8.h"

namespace qh::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kEndTimeout = 10s;

std::wstring RoamingAppData() {
    wchar_t* raw = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &raw);
    std::wstring folder = SUCCEEDED(hr) && raw ? raw : L"";
    ::CoTaskMemFree(raw);
    return folder;
}

std::wstring TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1]{};
    return std::wstring(buffer, ::GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer));
}

// The root of a drive letter that nothing is mapped to, such as a removed network drive.
std::wstring UnmappedDriveRoot() {
    const DWORD mapped = ::GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter > L'D'; --letter) {
        if ((mapped & (1u << (letter - L'A'))) == 0) return std::wstring(1, letter) + L":\\";
    }
    return {};
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Runs the stand-in with one switch and returns its exit code.
DWORD RunStandIn(const std::wstring& argument) {
    const std::wstring path = StandInExcelPath();
    std::wstring commandLine = L"\"" + path + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        ADD_FAILURE() << "cannot start the stand-in, error " << ::GetLastError();
        return ~DWORD{0};
    }
    win32::UniqueKernelHandle process(started.hProcess);
    win32::UniqueKernelHandle thread(started.hThread);
    if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        ADD_FAILURE() << "the stand-in did not finish " << ToUtf8(argument) << " within 30 s";
        return ~DWORD{0};
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

class StandInExcelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(apartment_.result()));
        ASSERT_TRUE(WaitUntilNoExcelWindow(kEndTimeout)) << "an XLMAIN window was already there before the test";
        settings_.SetJournal();
    }

    void TearDown() override {
        EXPECT_EQ(EndLeftoverInstances(settings_.journal()), 0u) << "the test left a stand-in Excel running";
        ::DeleteFileW(settings_.journal().c_str());
    }

    // The journal of one process as "event[ detail]", without the process id.
    std::vector<std::wstring> EventsOf(DWORD processId) const {
        std::vector<std::wstring> events;
        for (const JournalEntry& entry : ReadJournal(settings_.journal())) {
            if (entry.processId != processId) continue;
            events.push_back(entry.detail.empty() ? entry.event : entry.event + L" " + entry.detail);
        }
        return events;
    }

    // The process ids of the "started" lines, in order.
    std::vector<DWORD> StartedProcesses() const {
        std::vector<DWORD> started;
        for (const JournalEntry& entry : ReadJournal(settings_.journal())) {
            if (entry.event == L"started") started.push_back(entry.processId);
        }
        return started;
    }

    DWORD OnlyStartedProcess() const {
        const auto started = StartedProcesses();
        EXPECT_EQ(started.size(), 1u);
        return started.empty() ? 0 : started.front();
    }

    ComApartmentGuard apartment_;
    StandInSettingsScope settings_;
};

TEST_F(StandInExcelTest, ProgramIdentifierResolvesToTheStandInInAnyLetterCase) {
    for (const wchar_t* programId : {L"excel.application", L"Excel.Application", L"EXCEL.APPLICATION"}) {
        CLSID found{};
        EXPECT_EQ(::CLSIDFromProgID(programId, &found), S_OK) << ToUtf8(programId);
        EXPECT_TRUE(::IsEqualCLSID(found, kStandInExcelClsid));
    }
}

TEST_F(StandInExcelTest, RoundTripReportsTheDefaultFolderQuitsAndJournalsEachStep) {
    const std::wstring expected = RoamingAppData() + L"\\Microsoft\\Excel\\XLSTART";
    // Missing levels are created on demand: start without them (they hold nothing in a test prefix).
    ::RemoveDirectoryW(expected.c_str());
    ::RemoveDirectoryW((RoamingAppData() + L"\\Microsoft\\Excel").c_str());

    const auto start = Clock::now();
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const auto afterCreate = Clock::now();
    const DWORD processId = OnlyStartedProcess();

    const HWND window = FindExcelWindowOf(processId);
    ASSERT_NE(window, nullptr) << "no XLMAIN window while the automation instance runs";
    EXPECT_FALSE(::IsWindowVisible(window)) << "an automation instance shows its window";
    // Like Excel's, its Hwnd names that window, as a Long.
    VariantGuard hwnd;
    EXPECT_EQ(InvokeByName(*excel, L"Hwnd", DISPATCH_PROPERTYGET, hwnd.get()), S_OK);
    EXPECT_TRUE((*hwnd).vt == VT_I4 && (*hwnd).lVal == static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));

    auto [read, folder] = GetText(*excel, L"StartupPath");
    EXPECT_EQ(read, S_OK);
    EXPECT_EQ(folder, expected);
    EXPECT_TRUE(IsFolder(expected)) << "the start-up folder was not created";
    const auto afterRead = Clock::now();

    EXPECT_EQ(CallMethod(*excel, L"Quit"), S_OK);
    const auto afterQuit = Clock::now();
    // Like Excel, it ends once its client has let go: ending at once races the answer to Quit.
    EXPECT_FALSE(WaitForProcessEnd(processId, 500ms)) << "the instance ended while its client still held it";
    excel.reset();

    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout)) << "the instance still runs 10 s after its release";
    EXPECT_TRUE(WaitUntilNoExcelWindow(kEndTimeout)) << "the XLMAIN window is still there 10 s after Quit";
    const auto ended = Clock::now();
    EXPECT_EQ(EventsOf(processId), (std::vector<std::wstring>{L"started automation", L"call Hwnd", L"call StartupPath",
                                                              L"call Quit", L"quit", L"ended"}));

    const auto ms = [](auto duration) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
    };
    std::printf("round trip: create %lld ms, StartupPath %lld ms, Quit %lld ms, process gone after %lld ms\n",
                ms(afterCreate - start), ms(afterRead - afterCreate), ms(afterQuit - afterRead), ms(ended - start));
    RecordProperty("round_trip_ms", static_cast<int>(ms(afterQuit - start)));
}

TEST_F(StandInExcelTest, MemberNamesIgnoreLetterCaseAndTheJournalKeepsTheCallersSpelling) {
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();

    const auto [startupHr, startupId] = MemberId(*excel, L"StartupPath");
    const auto [quitHr, quitId] = MemberId(*excel, L"Quit");
    ASSERT_EQ(startupHr, S_OK);
    ASSERT_EQ(quitHr, S_OK);
    EXPECT_NE(startupId, quitId);
    const struct {
        const wchar_t* name;
        DISPID expected;
    } cases[] = {{L"startuppath", startupId},
                 {L"STARTUPPATH", startupId},
                 {L"sTaRtUpPaTh", startupId},
                 {L"quit", quitId},
                 {L"QUIT", quitId}};
    for (const auto& testCase : cases) {
        const auto [hr, id] = MemberId(*excel, testCase.name);
        EXPECT_EQ(hr, S_OK) << ToUtf8(testCase.name);
        EXPECT_EQ(id, testCase.expected) << ToUtf8(testCase.name);
    }

    auto [read, folder] = GetText(*excel, L"startuppath");
    EXPECT_EQ(read, S_OK);
    EXPECT_FALSE(folder.empty());
    EXPECT_EQ(CallMethod(*excel, L"QUIT"), S_OK);
    excel.reset();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));
    EXPECT_EQ(EventsOf(processId),
              (std::vector<std::wstring>{L"started automation", L"call startuppath", L"call QUIT", L"quit", L"ended"}));
}

TEST_F(StandInExcelTest, UnknownNamesAreRefusedAndJournalled) {
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();

    const std::vector<std::wstring> unknown = {L"Workbooks", L"StartupPat", L"StartupPath2", L"Quit ", L"Visible"};
    for (const std::wstring& name : unknown) {
        const auto [hr, id] = MemberId(*excel, name);
        EXPECT_EQ(hr, DISP_E_UNKNOWNNAME) << ToUtf8(name);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    EXPECT_EQ(CallMethod(*excel, L"Quit"), S_OK);
    excel.reset();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));

    std::vector<std::wstring> expected = {L"started automation"};
    for (const std::wstring& name : unknown) expected.push_back(L"unknown " + name);
    expected.insert(expected.end(), {L"call Quit", L"quit", L"ended"});
    EXPECT_EQ(EventsOf(processId), expected);
}

TEST_F(StandInExcelTest, StartupPathIsReadOnlyAndAcceptsTheWaysScriptsReadIt) {
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();

    UINT typeInfoCount = 99;
    EXPECT_EQ(excel->GetTypeInfoCount(&typeInfoCount), S_OK);
    EXPECT_EQ(typeInfoCount, 0u);

    const struct {
        WORD flags;
        HRESULT expected;
    } reads[] = {{DISPATCH_PROPERTYGET, S_OK},
                 {DISPATCH_METHOD | DISPATCH_PROPERTYGET, S_OK},
                 {DISPATCH_METHOD, DISP_E_MEMBERNOTFOUND}};
    for (const auto& read : reads) {
        EXPECT_EQ(GetText(*excel, L"StartupPath", read.flags).first, read.expected) << "flags " << read.flags;
    }

    const auto [idHr, startupId] = MemberId(*excel, L"StartupPath");
    ASSERT_EQ(idHr, S_OK);
    VariantGuard newValue;
    (*newValue.get()).vt = VT_BSTR;
    (*newValue.get()).bstrVal = ::SysAllocString(L"C:\\elsewhere");
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{newValue.get(), &putId, 1, 1};
    EXPECT_EQ(
        excel->Invoke(startupId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);

    // Visual Basic's late binding calls a method without a result as method-or-get.
    EXPECT_EQ(CallMethod(*excel, L"Quit", DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    excel.reset();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));
}

TEST_F(StandInExcelTest, ConfiguredStartupPathIsReturnedExactlyAndCreated) {
    const std::wstring base = TemporaryFolder() + L"qh-stand-in-folders";
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(base), ignored);
    const struct {
        std::wstring setting;
        std::wstring mustExist;  // empty: the text alone is checked
    } cases[] = {
        {base + L"\\trailing\\", base + L"\\trailing"},
        {base + L"\\Z\u00fcrich \u00c6r\u00f8 \u65e5\u672c\\XLSTART",
         base + L"\\Z\u00fcrich \u00c6r\u00f8 \u65e5\u672c\\XLSTART"},
        {base + L"\\one\\two\\three", base + L"\\one\\two\\three"},
        {L"C:\\", L"C:\\"},
        // A drive that does not exist cannot be created; the text still comes back as it is.
        {UnmappedDriveRoot(), L""},
    };

    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();
    // One instance for all: the setting is read again at each call.
    for (const auto& testCase : cases) {
        settings_.SetStartupPath(testCase.setting);
        const auto [hr, folder] = GetText(*excel, L"StartupPath");
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(folder, testCase.setting);
        if (!testCase.mustExist.empty()) {
            EXPECT_TRUE(IsFolder(testCase.mustExist)) << ToUtf8(testCase.mustExist) << " was not created";
        }
    }
    EXPECT_EQ(CallMethod(*excel, L"Quit"), S_OK);
    excel.reset();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));
    std::filesystem::remove_all(std::filesystem::path(base), ignored);
}

// Excel's rough edges as the test settings give them, each shown in the journal. (A silent member
// and a slow start are shown by the programs' own tests.)
TEST_F(StandInExcelTest, BusyLocalisedAndWithoutItsStartupFolderAsSet) {
    const std::wstring fresh = TemporaryFolder() + L"qh-stand-in-fresh\\XLSTART";
    settings_.SetBusyFor(1500ms);
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();

    // Busy: refused with the two codes in turn, then answered.
    EXPECT_EQ(MemberId(*excel, L"StartupPath").first, RPC_E_CALL_REJECTED);
    EXPECT_EQ(MemberId(*excel, L"Quit").first, RPC_E_SERVERCALL_RETRYLATER);
    std::this_thread::sleep_for(1600ms);
    EXPECT_EQ(MemberId(*excel, L"StartupPath").first, S_OK);

    // Localised: the English names are known in the English locale only.
    settings_.SetLocalised(true);
    EXPECT_EQ(MemberId(*excel, L"StartupPath").first, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(MemberId(*excel, L"StartupPath", 0x0409).first, S_OK);
    settings_.SetLocalised(false);

    // A fresh profile's start-up folder: named, not made.
    settings_.SetStartupPath(fresh);
    settings_.SetLeaveStartupFolderMissing(true);
    EXPECT_EQ(GetText(*excel, L"StartupPath"), std::make_pair(S_OK, fresh));
    EXPECT_FALSE(IsFolder(fresh));

    EXPECT_EQ(CallMethod(*excel, L"Quit"), S_OK);
    excel.reset();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));
    EXPECT_EQ(EventsOf(processId),
              (std::vector<std::wstring>{L"started automation", L"refused StartupPath 0x80010001",
                                         L"refused Quit 0x8001010A", L"unknown StartupPath in locale 0x0400",
                                         L"call StartupPath", L"missing " + fresh, L"call Quit", L"quit", L"ended"}));
}

TEST_F(StandInExcelTest, FailingCreationFailsPromptlyAndLeavesNoInstance) {
    settings_.SetFailCreation(true);
    const auto start = Clock::now();
    auto [created, excel] = CreateExcel();
    const auto elapsed = Clock::now() - start;
    EXPECT_TRUE(FAILED(created)) << "creation succeeded although FailCreation is set";
    EXPECT_EQ(excel, nullptr);
    EXPECT_LT(elapsed, 15s) << "a failing creation should not make the caller wait";

    const DWORD processId = OnlyStartedProcess();
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout)) << "the refusing server keeps running";
    EXPECT_TRUE(WaitUntilNoExcelWindow(kEndTimeout));
    EXPECT_EQ(EventsOf(processId), (std::vector<std::wstring>{L"started automation", L"ended"}));
}

TEST_F(StandInExcelTest, EachCreationStartsItsOwnProcess) {
    auto [firstHr, first] = CreateExcel();
    auto [secondHr, second] = CreateExcel();
    ASSERT_EQ(firstHr, S_OK);
    ASSERT_EQ(secondHr, S_OK);
    const auto started = StartedProcesses();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_NE(started[0], started[1]);

    EXPECT_EQ(CallMethod(*first, L"Quit"), S_OK);
    EXPECT_EQ(CallMethod(*second, L"Quit"), S_OK);
    first.reset();
    second.reset();
    EXPECT_EQ(InstancesLeftRunning(settings_.journal()), 0u);
}

TEST_F(StandInExcelTest, ReleasingWithoutQuitLeavesTheInstanceRunning) {
    auto [created, excel] = CreateExcel();
    ASSERT_EQ(created, S_OK);
    const DWORD processId = OnlyStartedProcess();
    EXPECT_EQ(GetText(*excel, L"StartupPath").first, S_OK);
    excel.reset();

    EXPECT_FALSE(WaitForProcessEnd(processId, 2s)) << "the instance ended without Quit";
    EXPECT_NE(FindExcelWindowOf(processId), nullptr) << "the forgotten instance has no XLMAIN window";
    EXPECT_EQ(UnendedProcesses(ReadJournal(settings_.journal())), std::vector<DWORD>{processId});

    // Closing its window is how a test gets rid of a forgotten instance.
    EXPECT_EQ(EndLeftoverInstances(settings_.journal()), 1u);
    EXPECT_TRUE(WaitForProcessEnd(processId, kEndTimeout));
    EXPECT_EQ(EventsOf(processId), (std::vector<std::wstring>{L"started automation", L"call StartupPath", L"ended"}));
}

TEST_F(StandInExcelTest, UsersExcelShowsItsWindowAndEndsWhenItIsClosed) {
    UserExcel user;
    EXPECT_TRUE(::IsWindowVisible(user.window()));
    EXPECT_EQ(::FindWindowW(kExcelWindowClass, nullptr), user.window());
    wchar_t title[64]{};
    ::GetWindowTextW(user.window(), title, static_cast<int>(std::size(title)));
    EXPECT_STREQ(title, kUserExcelTitle);

    // It stays until the user closes it.
    EXPECT_FALSE(user.WaitForEnd(500ms));
    user.Close();
    EXPECT_TRUE(user.WaitForEnd(kEndTimeout)) << "the user's Excel did not end when its window was closed";
    EXPECT_TRUE(WaitUntilNoExcelWindow(kEndTimeout));
    EXPECT_EQ(EventsOf(user.processId()), (std::vector<std::wstring>{L"started user", L"ended"}));
}

TEST_F(StandInExcelTest, UnregisteringRemovesTheProgramIdentifierAndRegisteringIsRepeatable) {
    CLSID found{};
    ASSERT_EQ(RunStandIn(L"/unregserver"), 0u);
    EXPECT_EQ(::CLSIDFromProgID(L"excel.application", &found), CO_E_CLASSSTRING);
    EXPECT_EQ(RunStandIn(L"/unregserver"), 0u) << "unregistering twice";

    EXPECT_EQ(RunStandIn(L"/regserver"), 0u);
    EXPECT_EQ(RunStandIn(L"-RegServer"), 0u) << "registering twice";
    EXPECT_EQ(::CLSIDFromProgID(L"excel.application", &found), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(found, kStandInExcelClsid));
}

}  // namespace
}  // namespace qh::testing
