#pragma once
// Automation objects over IDispatch, late-bound: every member is looked up by name at the call.
#include <windows.h>
#include <oaidl.h>

#include "core/automation.h"
#include "win32/com_ptr.h"

namespace qh::win32 {

class DispatchObject final : public AutomationObject {
public:
    explicit DispatchObject(ComPtr<IDispatch> dispatch) noexcept : dispatch_(std::move(dispatch)) {}

    Value Get(std::wstring_view property) override;
    Value Call(std::wstring_view method, const std::vector<Argument>& arguments) override;

private:
    Value Invoke(std::wstring_view member, WORD flags, const std::vector<Argument>& arguments);

    ComPtr<IDispatch> dispatch_;
};

// Creates a new instance by program identifier, as a script's CreateObject does.
class DispatchFactory final : public AutomationFactory {
public:
    AutomationPtr CreateObject(std::wstring_view programId) override;
};

// The description of an automation failure: that the file is in use when the thread's last error
// after the call says so (an in-process server's file call refused for sharing), else EXCEPINFO's
// own, else ours for the scripting errors that come without one, else the system's.
std::wstring DescribeAutomationError(HRESULT code, const std::wstring& description, DWORD lastError = ERROR_SUCCESS);

}  // namespace qh::win32
