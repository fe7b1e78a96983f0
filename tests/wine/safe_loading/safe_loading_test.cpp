// A DLL planted beside a setup program is not loaded by it.
//
// How far this proves it under Wine (Wine 8, measured on this bench):
// - Wine prefers its own builtin copy of most system DLLs even when a DLL of the same name lies
//   in the program's folder, so a plant under most names proves nothing. For the names below it
//   does not: with the bench's ordinary load order Wine loads a DLL of such a name from the
//   program's folder when a program asks for it by name. The control case shows that for each
//   name, so each plant is one that would be picked up.
// - The control case also shows that the programs' own RestrictLibrarySearch (the first call of
//   both entry points) makes the same load take the system folder's copy: that is the protection
//   for every library a program loads by name after it starts.
// - The real programs, run with these plants beside them, load none of them, and they do load
//   DLLs of these names during the run (decoding the logo), from the system folder. Under Wine
//   those loads come from a DLL that COM loads by full path, whose dependencies Wine looks for
//   beside it first, so that part would hold even without the restriction. What the run does catch
//   is a link-time import of, or an early load by name of, any of these DLLs.
// - Not provable here: Wine has no Known DLLs (a planted kernel32.dll is loaded when Wine is told
//   to prefer native DLLs), and with native-first load orders Wine's own builtins (comctl32's
//   delayed load of uxtheme, a builtin's import of version) search the program's folder whatever
//   the restriction says. That the programs import Known DLLs only is checked on the import
//   tables (scripts/checks/program-budgets).
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "setup_bench.h"
#include "test_handles.h"

namespace qh::testing {
namespace {
namespace fs = std::filesystem;

// load_by_name's exit codes.
constexpr DWORD kFromSystemFolder = 0;
constexpr DWORD kNotLoaded = 2;

// Names Wine takes from the program's folder when asked for by name; the programs load the first
// three during a run.
const std::vector<std::wstring> kPlantNames = {L"propsys.dll", L"shcore.dll", L"scrrun.dll", L"dwmapi.dll"};
const std::vector<std::wstring> kLoadedDuringARun = {L"propsys.dll", L"shcore.dll"};

fs::path PlantedDll() { return WinePathFromUnix(L"" QH_PLANTED_DLL_PATH); }
fs::path LoadByName() { return WinePathFromUnix(L"" QH_LOAD_BY_NAME_PATH); }

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(::towlower(c)); });
    return text;
}

fs::path SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, static_cast<UINT>(std::size(folder)));
    return fs::path(std::wstring(folder, length));
}

void Plant(const fs::path& folder, const std::wstring& name) {
    fs::copy_file(PlantedDll(), folder / name, fs::copy_options::overwrite_existing);
}

// The plants that were loaded: each leaves "<name>.loaded" naming the program that loaded it.
std::vector<std::wstring> PlantsLoaded(const fs::path& folder) {
    std::vector<std::wstring> loaded;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != L".loaded") continue;
        const std::vector<char> bytes = ReadBytes(entry.path());
        std::wstring loader(bytes.size() / sizeof(wchar_t), L'\0');
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(loader.size() * sizeof(wchar_t)),
                  reinterpret_cast<char*>(loader.data()));
        loaded.push_back(entry.path().stem().wstring() + L" by " + loader);
    }
    return loaded;
}

std::string Listed(const std::vector<std::wstring>& texts) {
    std::string all;
    for (const auto& text : texts) all += fs::path(text).string() + "; ";
    return all;
}

// Every module a running process has loaded, by full path.
std::vector<fs::path> ModulesOf(const Process& process) {
    win32::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.Pid()));
    if (!snapshot) throw std::runtime_error("CreateToolhelp32Snapshot failed");
    std::vector<fs::path> modules;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot.get(), &module); more; more = ::Module32NextW(snapshot.get(), &module)) {
        modules.emplace_back(module.szExePath);
    }
    return modules;
}

// While the program waits for the user: nothing it has loaded comes from its own folder but the
// program itself, and the DLLs it looks for by the planted names came from the system folder.
void ExpectOnlySystemCopiesLoaded(const Process& program, const fs::path& programFolder) {
    const std::vector<fs::path> modules = ModulesOf(program);
    ASSERT_FALSE(modules.empty()) << "no module list for " << fs::path(program.Describe()).string();
    for (const fs::path& module : modules) {
        EXPECT_TRUE(Lower(module.parent_path().wstring()) != Lower(programFolder.wstring()) ||
                    Lower(module.wstring()) == Lower(program.ExePath()))
            << module.string() << " was loaded from the program's folder";
    }
    for (const std::wstring& name : kLoadedDuringARun) {
        const auto found = std::find_if(modules.begin(), modules.end(), [&](const fs::path& module) {
            return Lower(module.filename().wstring()) == name;
        });
        ASSERT_NE(found, modules.end()) << fs::path(name).string()
                                        << " is not loaded: the run no longer asks for it, choose other plants";
        EXPECT_EQ(Lower(found->parent_path().wstring()), Lower(SystemFolder().wstring())) << found->string();
    }
}

DWORD RunLoadByName(const fs::path& folder, const std::wstring& name, bool restricted) {
    Process probe = StartProgram((folder / LoadByName().filename()).wstring(), folder.wstring(),
                                 (restricted ? L"--restricted " : L"") + name);
    return WaitForExit(probe, kRunTimeout);
}

TEST(SafeLoadingControl, EachPlantIsLoadedByNameWithoutTheRestrictionAndTheSystemCopyWithIt) {
    TempFolder folder(L"load-by-name");
    fs::copy_file(LoadByName(), folder.path() / LoadByName().filename());
    for (const std::wstring& name : kPlantNames) {
        SCOPED_TRACE(fs::path(name).string());
        Plant(folder.path(), name);

        // The plant refuses the load once it has left its mark.
        EXPECT_EQ(RunLoadByName(folder.path(), name, false), kNotLoaded);
        EXPECT_EQ(PlantsLoaded(folder.path()).size(), 1u) << "Wine did not take the plant: it proves nothing";

        fs::remove(folder.path() / (name + L".loaded"));
        EXPECT_EQ(RunLoadByName(folder.path(), name, true), kFromSystemFolder);
        EXPECT_TRUE(PlantsLoaded(folder.path()).empty()) << Listed(PlantsLoaded(folder.path()));
        fs::remove(folder.path() / name);
    }
}

class SafeLoading : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::wstring& name : kPlantNames) Plant(medium_.folder(), name);
    }
    void TearDown() override { fs::remove(HelpFolder() / kHelpFile); }

    // A program that took a plant as a link-time import never shows a window: say so.
    HWND WaitForWindowOf(const Process& program, const std::wstring& text) const {
        try {
            return WaitForDesign(program, text);
        } catch (const std::exception&) {
            ADD_FAILURE() << "plants loaded: " << Listed(PlantsLoaded(medium_.folder()));
            throw;
        }
    }

    ExcelBench excel_;
    TempFolder mediumFolder_{L"medium"};
    Medium medium_{mediumFolder_.path()};
};

TEST_F(SafeLoading, InstallerRunsThroughWithoutLoadingThePlants) {
    UserExcel usersExcel;  // holds the installer at its Excel prompt, where its modules are read
    Process installer = StartFromMedium(medium_, Program::Installer);
    HWND prompt = WaitForWindowOf(installer, kExitExcelText);
    ExpectOnlySystemCopiesLoaded(installer, medium_.folder());

    usersExcel.Close();
    ASSERT_TRUE(usersExcel.WaitForEnd(10s));
    ASSERT_TRUE(WaitUntilNoExcelWindow(10s));
    Press(prompt, L"Ok");
    EXPECT_EQ(WaitForExit(installer, kRunTimeout), kCompleted);
    EXPECT_TRUE(fs::exists(excel_.startupFolder() / kMacroWorkbook)) << "the run did not get to the copies";
    EXPECT_TRUE(PlantsLoaded(medium_.folder()).empty()) << Listed(PlantsLoaded(medium_.folder()));
    excel_.ExpectNothingLeftRunning();
}

TEST_F(SafeLoading, UninstallerRunsThroughWithoutLoadingThePlants) {
    Process uninstaller = StartFromMedium(medium_, Program::Uninstaller);
    HWND confirmation = WaitForWindowOf(uninstaller, kUnInstallText);
    ExpectOnlySystemCopiesLoaded(uninstaller, medium_.folder());

    Press(confirmation, L"Ok");
    EXPECT_EQ(WaitForExit(uninstaller, kRunTimeout), kCompleted);
    EXPECT_EQ(excel_.MembersCalled(), (std::vector<std::wstring>{L"Hwnd", L"StartupPath", L"Quit"}))
        << "the run did not get to Excel and the file-system object";
    EXPECT_TRUE(PlantsLoaded(medium_.folder()).empty()) << Listed(PlantsLoaded(medium_.folder()));
    excel_.ExpectNothingLeftRunning();
}

}  // namespace
}  // namespace qh::testing
