#pragma once
// What the stand-in Excel and the tests that drive it agree on: its class, its window and the
// registry values through which a test steers it.
#include <windows.h>

namespace qh::testing {

// {104C49C1-7B9E-4410-8188-2F04669B413B}; the stand-in's own class, never a real Excel's.
inline constexpr CLSID kStandInExcelClsid = {
    0x104c49c1, 0x7b9e, 0x4410, {0x81, 0x88, 0x2f, 0x04, 0x66, 0x9b, 0x41, 0x3b}};
inline constexpr wchar_t kStandInExcelClsidText[] = L"{104C49C1-7B9E-4410-8188-2F04669B413B}";
inline constexpr wchar_t kExcelProgramId[] = L"Excel.Application";

inline constexpr wchar_t kExcelWindowClass[] = L"XLMAIN";
inline constexpr wchar_t kUserExcelTitle[] = L"Excel stand-in";

// Read by the stand-in at each use, so that a test may change them between runs (HKCU).
inline constexpr wchar_t kSettingsKey[] = L"Software\\QuenzoHalvornTesting\\StandInExcel";
inline constexpr wchar_t kStartupPathValue[] = L"StartupPath";    // REG_SZ, returned as it is
inline constexpr wchar_t kFailCreationValue[] = L"FailCreation";  // REG_DWORD, 1 = creation fails
inline constexpr wchar_t kJournalValue[] = L"Journal";            // REG_SZ, path of a UTF-8 text file
// Excel's rough edges, as people who automate it meet them.
inline constexpr wchar_t kBusyForValue[] = L"BusyFor";          // REG_DWORD, ms after creation that calls are refused
inline constexpr wchar_t kSilentInValue[] = L"SilentIn";        // REG_SZ, the member that never answers
inline constexpr wchar_t kSlowStartValue[] = L"SlowStart";      // REG_DWORD, ms before the class is registered
inline constexpr wchar_t kHangAtStartValue[] = L"HangAtStart";  // REG_DWORD, 1 = hangs before its window and class
inline constexpr wchar_t kRefuseCreationValue[] = L"RefuseCreation";  // REG_DWORD, 1 = creation refused as busy
inline constexpr wchar_t kLeaveStartupFolderMissingValue[] =
    L"LeaveStartupFolderMissing";                           // REG_DWORD, 1 = not created
inline constexpr wchar_t kLocalisedValue[] = L"Localised";  // REG_DWORD, 1 = names known only in locale 0x0409
// REG_DWORD, ms it takes to end once told to quit and let go (its hidden window still there)
inline constexpr wchar_t kQuitDelayValue[] = L"QuitDelayMs";
// REG_DWORD, 1 = asks its user at its start, in a window on screen, before its own window and class
inline constexpr wchar_t kPromptAtStartValue[] = L"PromptAtStart";

}  // namespace qh::testing
