#include "application_object.h"

#include <oleauto.h>

#include <array>
#include <cwchar>
#include <new>
#include <string_view>

#include "journal.h"
#include "main_window.h"
#include "startup_folder.h"
#include "test_settings.h"

namespace qh::testing {

namespace {

constexpr DISPID kStartupPathId = 1;
constexpr DISPID kQuitId = 2;
constexpr DISPID kHwndId = 3;
constexpr LCID kEnglishLocale = 0x0409;
// A silent member blocks its caller this long at most, so that no test can leave a stand-in
// behind for good; then the process ends.
constexpr DWORD kLongestSilence = 180'000;
// A client told it to quit but never let go of it: longer than any test waits for an Excel to end.
constexpr std::chrono::seconds kLongestWaitForRelease{60};

struct Member {
    std::wstring_view name;
    DISPID id;
};
constexpr std::array kMembers{Member{L"StartupPath", kStartupPathId}, Member{L"Quit", kQuitId},
                              Member{L"Hwnd", kHwndId}};

bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

const Member* FindMember(const wchar_t* name) {
    for (const Member& member : kMembers) {
        if (SameName(name, member.name)) return &member;
    }
    return nullptr;
}

std::wstring Hex(unsigned long value, int digits) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"0x%0*lX", digits, value);
    return text;
}

const Member* FindMember(DISPID id) {
    for (const Member& member : kMembers) {
        if (member.id == id) return &member;
    }
    return nullptr;
}

}  // namespace

ApplicationObject::ApplicationObject(const MainWindow& mainWindow) noexcept : mainWindow_(mainWindow) {}

HRESULT ApplicationObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ApplicationObject::AddRef() { return ++references_; }

// The last release frees the object. Like a real Excel, the process ends then if it was told to
// quit, and keeps running if its client forgot to.
ULONG ApplicationObject::Release() {
    const ULONG remaining = --references_;
    if (remaining == 0) {
        if (quitting_) {
            // Its hidden window stays while it ends, as a real Excel's does.
            if (const auto delay = QuitDelaySetting(); delay.count() > 0) {
                mainWindow_.CloseAfter(delay);
            } else {
                mainWindow_.PostClose();
            }
        }
        delete this;
    }
    return remaining;
}

HRESULT ApplicationObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ApplicationObject::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
    if (typeInfo) *typeInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT ApplicationObject::Refusal(std::wstring_view name) {
    if (std::chrono::steady_clock::now() - created_ >= BusyForSetting()) return S_OK;
    // Returned by the call itself: Wine ignores a message filter's SERVERCALL_RETRYLATER.
    const HRESULT code = refusals_++ % 2 == 0 ? RPC_E_CALL_REJECTED : RPC_E_SERVERCALL_RETRYLATER;
    JournalEvent(L"refused", std::wstring(name) + L" " + Hex(static_cast<unsigned long>(code), 8));
    return code;
}

bool ApplicationObject::UnknownInLocale(std::wstring_view name, LCID locale) const {
    if (locale == kEnglishLocale || !LocalisedSetting()) return false;
    JournalEvent(L"unknown", std::wstring(name) + L" in locale " + Hex(locale, 4));
    return true;
}

HRESULT ApplicationObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (nameCount == 0) return S_OK;
    if (!names || !ids || !names[0]) return E_POINTER;
    try {
        if (const HRESULT refused = Refusal(names[0]); FAILED(refused)) return refused;
        // No member takes named arguments: any name after the member's is unknown.
        for (UINT i = 1; i < nameCount; ++i) ids[i] = DISPID_UNKNOWN;
        if (UnknownInLocale(names[0], locale)) {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        const Member* member = FindMember(names[0]);
        if (!member) {
            ids[0] = DISPID_UNKNOWN;
            JournalEvent(L"unknown", names[0]);
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = member->id;
        spellingByMember_[member->id] = names[0];
        return nameCount == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ApplicationObject::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                  VARIANT* result, EXCEPINFO*, UINT*) {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    try {
        const auto spelling = spellingByMember_.find(member);
        const Member* known = FindMember(member);
        const std::wstring name = spelling != spellingByMember_.end() ? spelling->second
                                  : known                             ? std::wstring(known->name)
                                                                      : L"#" + std::to_wstring(member);
        if (const HRESULT refused = Refusal(name); FAILED(refused)) return refused;
        if (UnknownInLocale(name, locale)) return DISP_E_MEMBERNOTFOUND;
        JournalEvent(L"call", name);
        if (const auto silentIn = SilentInSetting(); silentIn && known && SameName(*silentIn, known->name)) {
            // A prompt nobody can see: no answer, and no message handled meanwhile.
            JournalEvent(L"silent", name);
            ::Sleep(kLongestSilence);
            JournalEvent(L"ended", L"after its longest silence");
            ::TerminateProcess(::GetCurrentProcess(), 1);
        }

        const DISPPARAMS noParameters{};
        const DISPPARAMS& given = parameters ? *parameters : noParameters;
        switch (member) {
            case kStartupPathId: return GetStartupPath(flags, given, result);
            case kQuitId: return Quit(flags, given);
            case kHwndId: return GetHwnd(flags, given, result);
            default: return DISP_E_MEMBERNOTFOUND;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ApplicationObject::GetStartupPath(WORD flags, const DISPPARAMS& parameters, VARIANT* result) {
    // A script reading a property may send DISPATCH_METHOD | DISPATCH_PROPERTYGET; a put is refused.
    if ((flags & DISPATCH_PROPERTYGET) == 0 || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    const std::wstring folder = StartupFolderText();
    // Like Excel, the start-up folder exists once somebody asked for it; on a fresh profile it
    // may not.
    if (LeaveStartupFolderMissingSetting()) {
        JournalEvent(L"missing", folder);
    } else {
        CreateFolderTree(folder);
    }
    if (!result) return S_OK;
    BSTR text = ::SysAllocStringLen(folder.data(), static_cast<UINT>(folder.size()));
    if (!text) return E_OUTOFMEMORY;
    ::VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = text;
    return S_OK;
}

HRESULT ApplicationObject::GetHwnd(WORD flags, const DISPPARAMS& parameters, VARIANT* result) {
    if ((flags & DISPATCH_PROPERTYGET) == 0 || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    // Excel's Hwnd is a Long: the handle's 32 significant bits.
    ::VariantInit(result);
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(mainWindow_.handle()));
    return S_OK;
}

HRESULT ApplicationObject::Quit(WORD flags, const DISPPARAMS& parameters) {
    if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (parameters.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    JournalEvent(L"quit");
    // Ending now would race the answer to this call out of the process: under load the client
    // then sees the call fail. The process goes once the client has let go of the object, or
    // after a while if it never does.
    quitting_ = true;
    mainWindow_.CloseAfter(kLongestWaitForRelease);
    return S_OK;
}

}  // namespace qh::testing
