#include "core/setup_error.h"

namespace qh {
namespace {

constexpr std::int32_t Code(std::uint32_t hresult) { return static_cast<std::int32_t>(hresult); }

struct KnownError {
    std::int32_t code;
    FailureKind kind;
};

// The scripting runtime's errors come as HRESULTs of facility "control" (0x800A....), Windows'
// own as Win32 errors, or as HRESULTs of facility "Win32" (0x8007....), which are looked up as the
// Win32 errors they carry.
constexpr KnownError kKnownErrors[] = {
    {Code(0x800A0035), FailureKind::FileNotFound},   // File not found
    {2, FailureKind::FileNotFound},                  // ERROR_FILE_NOT_FOUND
    {Code(0x800A004C), FailureKind::FolderMissing},  // Path not found
    {3, FailureKind::FolderMissing},                 // ERROR_PATH_NOT_FOUND
    {Code(0x800A0046), FailureKind::AccessDenied},   // Permission denied
    {5, FailureKind::AccessDenied},                  // ERROR_ACCESS_DENIED (E_ACCESSDENIED)
    {32, FailureKind::InUse},                        // ERROR_SHARING_VIOLATION
    {33, FailureKind::InUse},                        // ERROR_LOCK_VIOLATION
    {Code(0x800A003D), FailureKind::DiskFull},       // Disk full
    {112, FailureKind::DiskFull},                    // ERROR_DISK_FULL
    {Code(0x800401F3), FailureKind::ExcelCannotStart},  // CO_E_CLASSSTRING: no such program identifier
    {Code(0x80040154), FailureKind::ExcelCannotStart},  // REGDB_E_CLASSNOTREG
    {Code(0x80080005), FailureKind::ExcelCannotStart},  // CO_E_SERVER_EXEC_FAILURE
    {Code(0x800401F5), FailureKind::ExcelCannotStart},  // CO_E_APPNOTFOUND
    {Code(0x80010001), FailureKind::ExcelBusy},         // RPC_E_CALL_REJECTED
    {Code(0x8001010A), FailureKind::ExcelBusy},         // RPC_E_SERVERCALL_RETRYLATER
    {Code(0x8001011F), FailureKind::ExcelSilent},       // RPC_E_TIMEOUT
};

// The Win32 error an HRESULT of facility "Win32" carries; any other code as it is.
constexpr std::int32_t Win32ErrorIn(std::int32_t code) {
    return (static_cast<std::uint32_t>(code) & 0xFFFF0000u) == 0x80070000u ? code & 0xFFFF : code;
}

}  // namespace

FailureKind KindOfError(std::int32_t code) {
    const std::int32_t looked = Win32ErrorIn(code);
    for (const KnownError& known : kKnownErrors) {
        if (known.code == looked) return known.kind;
    }
    return FailureKind::Other;
}

}  // namespace qh
