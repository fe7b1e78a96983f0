#include "win32/com_values.h"

#include <objbase.h>

#include <new>

#include "win32/win32_error.h"

namespace qh::win32 {

Bstr::Bstr(std::wstring_view text) : bstr_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!bstr_) throw std::bad_alloc();
}

Variant Variant::FromBool(bool value) noexcept {
    Variant v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::FromInt(LONG value) noexcept {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = value;
    return v;
}

Variant Variant::FromText(std::wstring_view text) {
    Variant v;
    V_BSTR(&v.v_) = Bstr(text).release();
    V_VT(&v.v_) = VT_BSTR;
    return v;
}

ComApartment::ComApartment() {
    ThrowIfFailed(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), L"Start COM");
    initialised_ = true;
}

ComApartment::~ComApartment() {
    if (initialised_) ::CoUninitialize();
}

}  // namespace qh::win32
