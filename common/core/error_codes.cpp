#include "core/error_codes.h"

#include "core/setup_error.h"

namespace qh {
namespace {

struct KnownError {
    std::int32_t code;
    FailureKind kind;
    std::wstring_view scriptingWords;  // the scripting runtime's errors only
};

// The scripting runtime's errors come as HRESULTs of facility "control" (0x800A....), Windows'
// own as Win32 errors, or as HRESULTs of facility "Win32" (0x8007....), which are looked up as the
// Win32 errors they carry.
constexpr KnownError kKnownErrors[] = {
    {ErrorNumber(0x800A0034), FailureKind::Other, L"Bad file name or number"},
    {ErrorNumber(0x800A0035), FailureKind::FileNotFound, L"File not found"},
    {ErrorNumber(0x800A0039), FailureKind::Other, L"Device I/O error"},
    {ErrorNumber(0x800A003A), FailureKind::Other, L"File already exists"},
    {ErrorNumber(0x800A003D), FailureKind::DiskFull, L"Disk full"},
    {ErrorNumber(0x800A0043), FailureKind::Other, L"Too many files"},
    {ErrorNumber(0x800A0044), FailureKind::Other, L"Device unavailable"},
    {kPermissionDenied, FailureKind::AccessDenied, L"Permission denied"},
    {ErrorNumber(0x800A0047), FailureKind::Other, L"Disk not ready"},
    {ErrorNumber(0x800A004B), FailureKind::Other, L"Path/File access error"},
    {ErrorNumber(0x800A004C), FailureKind::FolderMissing, L"Path not found"},
    {2, FailureKind::FileNotFound, {}},   // ERROR_FILE_NOT_FOUND
    {3, FailureKind::FolderMissing, {}},  // ERROR_PATH_NOT_FOUND
    {5, FailureKind::AccessDenied, {}},   // ERROR_ACCESS_DENIED (E_ACCESSDENIED)
    {32, FailureKind::InUse, {}},         // ERROR_SHARING_VIOLATION
    {33, FailureKind::InUse, {}},         // ERROR_LOCK_VIOLATION
    {112, FailureKind::DiskFull, {}},     // ERROR_DISK_FULL
    {kStoppedOnLink, FailureKind::LinkOnMedium, {}},
    {ErrorNumber(0x800401F3), FailureKind::ExcelCannotStart, {}},  // CO_E_CLASSSTRING: no such program identifier
    {ErrorNumber(0x80040154), FailureKind::ExcelCannotStart, {}},  // REGDB_E_CLASSNOTREG
    {ErrorNumber(0x80080005), FailureKind::ExcelCannotStart, {}},  // CO_E_SERVER_EXEC_FAILURE
    {ErrorNumber(0x800401F5), FailureKind::ExcelCannotStart, {}},  // CO_E_APPNOTFOUND
    {kCallRejected, FailureKind::ExcelBusy, {}},
    {kRetryLater, FailureKind::ExcelBusy, {}},
    {kNoAnswer, FailureKind::ExcelSilent, {}},
};

// The Win32 error an HRESULT of facility "Win32" carries; any other code as it is.
constexpr std::int32_t Win32ErrorIn(std::int32_t code) {
    return (static_cast<std::uint32_t>(code) & 0xFFFF0000u) == 0x80070000u ? code & 0xFFFF : code;
}

const KnownError* Find(std::int32_t code) {
    for (const KnownError& known : kKnownErrors) {
        if (known.code == code) return &known;
    }
    return nullptr;
}

}  // namespace

FailureKind KindOfError(std::int32_t code) {
    const KnownError* known = Find(Win32ErrorIn(code));
    return known ? known->kind : FailureKind::Other;
}

std::wstring_view ScriptingErrorWords(std::int32_t code) {
    const KnownError* known = Find(code);
    return known ? known->scriptingWords : std::wstring_view();
}

}  // namespace qh
