#include "forms/direct_annotation.h"

#include <oleacc.h>

#include "forms/accessible_object.h"

namespace qh::forms {
namespace {

// As the SDK's headers give them; spelt out here so that no library need define them.
constexpr GUID kAccPropServicesClass{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface{0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kIsDialogProperty{0x9d0dfb9b, 0x8436, 0x4501, {0xbb, 0xbb, 0xe5, 0x34, 0xa4, 0xfb, 0x3b, 0x3f}};
constexpr GUID kLiveSettingProperty{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPoliteLiveSetting = 1;  // LiveSetting's Polite

}  // namespace

Annotations::~Annotations() {
    for (const Marked& marked : marked_) {
        services_->ClearHwndProps(marked.window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &marked.property, 1);
    }
}

void Annotations::MarkDialog(HWND window) noexcept {
    VARIANT yes{};
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    Mark(window, kIsDialogProperty, yes);
}

void Annotations::MarkPoliteLiveRegion(HWND field) noexcept {
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = kPoliteLiveSetting;
    Mark(field, kLiveSettingProperty, polite);
}

void Annotations::Mark(HWND window, const GUID& property, const VARIANT& value) noexcept {
    if (unavailable_) return;
    // The annotation service is oleacc's: loaded from the system folder before COM would load it
    // by its registration.
    if (!services_ &&
        (!LoadAccessibility() || FAILED(::CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                                           kAccPropServicesInterface, services_.put_void())))) {
        unavailable_ = true;
        return;
    }
    const HRESULT set = services_->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, value);
    if (SUCCEEDED(set)) {
        marked_.push_back({window, property});
    } else if (set == E_NOTIMPL) {
        unavailable_ = true;
    }
}

}  // namespace qh::forms
