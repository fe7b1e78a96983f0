#pragma once
// Just enough late-bound automation for the stand-in's own tests, with every COM resource owned.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <utility>

namespace qh::testing {

class ComApartmentGuard {
public:
    ComApartmentGuard() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartmentGuard(const ComApartmentGuard&) = delete;
    ComApartmentGuard& operator=(const ComApartmentGuard&) = delete;
    ~ComApartmentGuard() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

struct ComReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
using DispatchPtr = std::unique_ptr<IDispatch, ComReleaser>;

struct BstrFreer {
    void operator()(wchar_t* text) const noexcept { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<wchar_t, BstrFreer>;

class VariantGuard {
public:
    VariantGuard() noexcept { ::VariantInit(&value_); }
    VariantGuard(const VariantGuard&) = delete;
    VariantGuard& operator=(const VariantGuard&) = delete;
    ~VariantGuard() { ::VariantClear(&value_); }
    VARIANT* get() noexcept { return &value_; }
    const VARIANT& operator*() const noexcept { return value_; }

private:
    VARIANT value_;
};

// A new Excel through its program identifier, in lower case as the programs ask for it.
inline std::pair<HRESULT, DispatchPtr> CreateExcel() {
    CLSID classId{};
    HRESULT hr = ::CLSIDFromProgID(L"excel.application", &classId);
    if (FAILED(hr)) return {hr, nullptr};
    IDispatch* raw = nullptr;
    hr = ::CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&raw));
    return {hr, DispatchPtr(raw)};
}

inline std::pair<HRESULT, DISPID> MemberId(IDispatch& object, const std::wstring& name,
                                           LCID locale = LOCALE_USER_DEFAULT) {
    UniqueBstr text(::SysAllocString(name.c_str()));
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object.GetIDsOfNames(IID_NULL, names, 1, locale, &id);
    return {hr, id};
}

// Calls a member without arguments; `result` receives what it returns.
inline HRESULT InvokeByName(IDispatch& object, const std::wstring& name, WORD flags, VARIANT* result) {
    auto [hr, id] = MemberId(object, name);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result, nullptr, nullptr);
}

// Reads a text property; an empty text with the failure when it fails or is not text.
inline std::pair<HRESULT, std::wstring> GetText(IDispatch& object, const std::wstring& name,
                                                WORD flags = DISPATCH_PROPERTYGET) {
    VariantGuard value;
    const HRESULT hr = InvokeByName(object, name, flags, value.get());
    if (FAILED(hr)) return {hr, {}};
    if ((*value).vt != VT_BSTR) return {DISP_E_TYPEMISMATCH, {}};
    return {hr, std::wstring((*value).bstrVal, ::SysStringLen((*value).bstrVal))};
}

inline HRESULT CallMethod(IDispatch& object, const std::wstring& name, WORD flags = DISPATCH_METHOD) {
    VariantGuard ignored;
    return InvokeByName(object, name, flags, ignored.get());
}

}  // namespace qh::testing
