#pragma once
// How the driver reports a failed or timed-out step: std::runtime_error with a UTF-8 message, so
// GoogleTest prints it as it is.
#include <chrono>
#include <string>
#include <string_view>

namespace qh::testing {

std::string Utf8(std::wstring_view text);

// text in double quotes, with control characters spelled out (\r, \n, \t, \xNN) so that
// "Please close Excel!\r\n" reads the same in a failure message as in the test.
std::wstring Quoted(std::wstring_view text);

std::wstring Milliseconds(std::chrono::milliseconds duration);

[[noreturn]] void Fail(std::wstring_view message);

// Fail with the message and the system's error number of the last failed call.
[[noreturn]] void FailWithLastError(std::wstring_view message);

}  // namespace qh::testing
