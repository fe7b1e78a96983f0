#include "core/setup_error.h"

namespace qh {
namespace {

constexpr std::int32_t Code(std::uint32_t hresult) { return static_cast<std::int32_t>(hresult); }

struct KnownError {
    std::int32_t code;
    FailureKind kind;
};

// The scripting runtime's errors come as HRESULTs of facility "control" (0x800A....), Windows'
// own as Win32 errors or HRESULTs of facility "Win32" (0x8007....).
constexpr KnownError kKnownErrors[] = {
    {Code(0x800A0035), FailureKind::FileNotFound},   // File not found
    {Code(0x80070002), FailureKind::FileNotFound},   // ERROR_FILE_NOT_FOUND
    {2, FailureKind::FileNotFound},
    {Code(0x800A004C), FailureKind::FolderMissing},  // Path not found
    {Code(0x80070003), FailureKind::FolderMissing},  // ERROR_PATH_NOT_FOUND
    {3, FailureKind::FolderMissing},
    {Code(0x800A0046), FailureKind::AccessDenied},   // Permission denied
    {Code(0x80070005), FailureKind::AccessDenied},   // E_ACCESSDENIED
    {5, FailureKind::AccessDenied},
    {Code(0x80070020), FailureKind::InUse},          // ERROR_SHARING_VIOLATION
    {Code(0x80070021), FailureKind::InUse},          // ERROR_LOCK_VIOLATION
    {32, FailureKind::InUse},
    {33, FailureKind::InUse},
    {Code(0x800A003D), FailureKind::DiskFull},       // Disk full
    {Code(0x80070070), FailureKind::DiskFull},       // ERROR_DISK_FULL
    {112, FailureKind::DiskFull},
    {Code(0x800401F3), FailureKind::ExcelCannotStart},  // CO_E_CLASSSTRING: no such program identifier
    {Code(0x80040154), FailureKind::ExcelCannotStart},  // REGDB_E_CLASSNOTREG
    {Code(0x80080005), FailureKind::ExcelCannotStart},  // CO_E_SERVER_EXEC_FAILURE
    {Code(0x800401F5), FailureKind::ExcelCannotStart},  // CO_E_APPNOTFOUND
    {Code(0x80010001), FailureKind::ExcelBusy},         // RPC_E_CALL_REJECTED
    {Code(0x8001010A), FailureKind::ExcelBusy},         // RPC_E_SERVERCALL_RETRYLATER
    {Code(0x8001011F), FailureKind::ExcelSilent},       // RPC_E_TIMEOUT
};

}  // namespace

FailureKind KindOfError(std::int32_t code) {
    for (const KnownError& known : kKnownErrors) {
        if (known.code == code) return known.kind;
    }
    return FailureKind::Other;
}

}  // namespace qh
