#pragma once
// The system's error numbers this program tells apart: the kind of failure each stands for and,
// for the scripting runtime's, the runtime's own words, which its failures often come without.
#include <cstdint>
#include <string_view>

namespace qh {

enum class FailureKind;  // core/setup_error.h

// An HRESULT as the int32 that SetupError carries.
constexpr std::int32_t ErrorNumber(std::uint32_t hresult) { return static_cast<std::int32_t>(hresult); }

// What a busy Excel answers: the call was not made, ask again later.
inline constexpr std::int32_t kCallRejected = ErrorNumber(0x80010001);  // RPC_E_CALL_REJECTED
inline constexpr std::int32_t kRetryLater = ErrorNumber(0x8001010A);    // RPC_E_SERVERCALL_RETRYLATER
// The error a step reports when Excel did not answer in time.
inline constexpr std::int32_t kNoAnswer = ErrorNumber(0x8001011F);  // RPC_E_TIMEOUT
// What an automation server answers for a member it does not have.
inline constexpr std::int32_t kUnknownName = ErrorNumber(0x80020006);  // DISP_E_UNKNOWNNAME
// What the program gives a file it will not open through a link (ERROR_STOPPED_ON_SYMLINK).
inline constexpr std::int32_t kStoppedOnLink = 681;
// The scripting runtime's refusal, for a read-only file and, on Windows, for one in use.
inline constexpr std::int32_t kPermissionDenied = ErrorNumber(0x800A0046);

// The kind the error number (an HRESULT, a scripting error, a Win32 error) stands for.
FailureKind KindOfError(std::int32_t code);

// The scripting runtime's words for one of its error numbers; empty for any other number.
std::wstring_view ScriptingErrorWords(std::int32_t code);

}  // namespace qh
