#pragma once
// A failure of one step of a run: what was attempted, on what, and what the system answered.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qh {

class SetupError : public std::runtime_error {
public:
    // operation: what was attempted ("CopyFile", "Create the Excel instance");
    // argument: what it was attempted on (a path, a program identifier), may be empty;
    // code: the system's error number (an HRESULT or a Win32 error), 0 when there is none;
    // description: the system's words for it, or ours when the system has none.
    SetupError(std::wstring operation, std::wstring argument, std::int32_t code, std::wstring description)
        : std::runtime_error("setup step failed"),
          operation_(std::move(operation)),
          argument_(std::move(argument)),
          code_(code),
          description_(std::move(description)) {}

    const std::wstring& Operation() const noexcept { return operation_; }
    const std::wstring& Argument() const noexcept { return argument_; }
    std::int32_t Code() const noexcept { return code_; }
    const std::wstring& Description() const noexcept { return description_; }

private:
    std::wstring operation_;
    std::wstring argument_;
    std::int32_t code_;
    std::wstring description_;
};

}  // namespace qh
