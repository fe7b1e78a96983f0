#include "win32/dispatch_automation.h"

#include <windows.h>
#include <objbase.h>

#include <string>

#include "core/error_codes.h"
#include "core/setup_error.h"
#include "win32/com_values.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

Variant ToVariant(const Argument& argument) {
    if (auto* flag = std::get_if<bool>(&argument)) return Variant::FromBool(*flag);
    if (auto* number = std::get_if<std::int32_t>(&argument)) return Variant::FromInt(*number);
    return Variant::FromText(std::get<std::wstring>(argument));
}

Value FromVariant(Variant&& result, std::wstring_view member) {
    const VARIANT& v = result.get();
    switch (V_VT(&v)) {
        case VT_EMPTY:
        case VT_NULL: return std::monostate{};
        case VT_BOOL: return V_BOOL(&v) != VARIANT_FALSE;
        case VT_I2: return static_cast<std::int32_t>(V_I2(&v));
        case VT_I4: return static_cast<std::int32_t>(V_I4(&v));
        case VT_BSTR: return V_BSTR(&v) ? std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v))) : std::wstring();
        case VT_DISPATCH: {
            IDispatch* dispatch = V_DISPATCH(&v);
            if (!dispatch) return std::monostate{};
            dispatch->AddRef();
            return AutomationPtr(std::make_unique<DispatchObject>(ComPtr<IDispatch>::Attach(dispatch)));
        }
        default:
            throw SetupError(std::wstring(member), {}, static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                             L"The answer had a type this program does not read");
    }
}

// The member names used here are English; Excel reads names in the language of the locale that
// comes with the call, so that is English too, whatever the user's own.
constexpr LCID kEnglishLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// A file held open by another program without sharing: the scripting runtime's call fails with
// the thread's last error telling why, and with a code that does not. Windows' runtime answers
// "Permission denied", which a read-only file gets too; Wine's answers E_FAIL.
bool IsInUse(HRESULT code, DWORD lastError) {
    const bool sharingRefused = lastError == ERROR_SHARING_VIOLATION || lastError == ERROR_LOCK_VIOLATION;
    return sharingRefused && (code == E_FAIL || code == kPermissionDenied);
}

// The error number a failure is known by: for a file in use, the sharing refusal behind the
// runtime's vaguer code.
std::int32_t ErrorNumber(HRESULT code, DWORD lastError) {
    return static_cast<std::int32_t>(IsInUse(code, lastError) ? HRESULT_FROM_WIN32(lastError) : code);
}

}  // namespace

std::wstring DescribeAutomationError(HRESULT code, const std::wstring& description, DWORD lastError) {
    if (IsInUse(code, lastError)) {
        return code == kPermissionDenied ? L"The file is in use by another program (permission denied)"
                                         : L"The file is in use by another program (sharing violation)";
    }
    if (!description.empty()) return description;
    // The scripting runtime's failures often come without words of their own.
    if (const std::wstring_view words = ScriptingErrorWords(code); !words.empty()) return std::wstring(words);
    std::wstring system = SystemMessage(static_cast<DWORD>(code));
    return system.empty() ? L"Unknown error" : system;
}

Value DispatchObject::Get(std::wstring_view property) { return Invoke(property, DISPATCH_PROPERTYGET, {}); }

Value DispatchObject::Call(std::wstring_view method, const std::vector<Argument>& arguments) {
    return Invoke(method, DISPATCH_METHOD, arguments);
}

Value DispatchObject::Invoke(std::wstring_view member, WORD flags, const std::vector<Argument>& arguments) {
    const std::wstring name(member);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    ThrowIfFailed(dispatch_->GetIDsOfNames(IID_NULL, names, 1, kEnglishLocale, &id), name);

    // DISPPARAMS take the arguments last to first.
    std::vector<Variant> held;
    held.reserve(arguments.size());
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) held.push_back(ToVariant(*it));
    std::vector<VARIANT> passed;
    passed.reserve(held.size());
    for (const auto& v : held) passed.push_back(v.get());  // shallow: `held` keeps ownership

    DISPPARAMS parameters{};
    parameters.rgvarg = passed.empty() ? nullptr : passed.data();
    parameters.cArgs = static_cast<UINT>(passed.size());

    Variant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    // Cleared first, so that only what failed inside this call counts (see IsInUse).
    ::SetLastError(ERROR_SUCCESS);
    const HRESULT hr =
        dispatch_->Invoke(id, IID_NULL, kEnglishLocale, flags, &parameters, result.put(), &exception, &badArgument);
    const DWORD lastError = ::GetLastError();
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        Bstr source;
        *source.put() = exception.bstrSource;
        Bstr description;
        *description.put() = exception.bstrDescription;
        Bstr helpFile;
        *helpFile.put() = exception.bstrHelpFile;
        const HRESULT code =
            exception.scode != 0 ? exception.scode : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
        throw SetupError(name, {}, ErrorNumber(code, lastError),
                         DescribeAutomationError(code, description.str(), lastError));
    }
    if (FAILED(hr)) {
        throw SetupError(name, {}, ErrorNumber(hr, lastError), DescribeAutomationError(hr, {}, lastError));
    }
    return FromVariant(std::move(result), name);
}

AutomationPtr DispatchFactory::CreateObject(std::wstring_view programId) {
    const std::wstring id(programId);
    CLSID classId{};
    HRESULT hr = ::CLSIDFromProgID(id.c_str(), &classId);
    if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG) {
        throw SetupError(L"Start " + id, {}, static_cast<std::int32_t>(hr),
                         L"No program is registered under this name; is it installed?");
    }
    ThrowIfFailed(hr, L"Start " + id);
    ComPtr<IDispatch> dispatch;
    // On this machine only: the folders asked for are where this program writes. (A context
    // with CLSCTX_REMOTE_SERVER also makes Wine answer any failure as "class not registered".)
    hr = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            dispatch.put_void());
    ThrowIfFailed(hr, L"Start " + id);
    return std::make_unique<DispatchObject>(std::move(dispatch));
}

}  // namespace qh::win32
