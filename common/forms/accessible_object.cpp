#include "forms/accessible_object.h"

#include <oleacc.h>

#include <atomic>
#include <utility>

#include "win32/com_ptr.h"
#include "win32/system_library.h"

namespace qh::forms {
namespace {

struct Oleacc {
    win32::UniqueLibrary library;
    decltype(&::CreateStdAccessibleObject) createStdAccessibleObject;
    decltype(&::LresultFromObject) lresultFromObject;
};

Oleacc LoadOleacc() {
    win32::UniqueLibrary library = win32::LoadSystemLibrary(L"oleacc.dll");
    const auto create =
        win32::ProcedureOf<decltype(&::CreateStdAccessibleObject)>(library.get(), "CreateStdAccessibleObject");
    const auto lresult = win32::ProcedureOf<decltype(&::LresultFromObject)>(library.get(), "LresultFromObject");
    return {std::move(library), create, lresult};
}

// Loaded once and kept for the life of the process: an object handed to a client lives until the
// client lets it go, perhaps after its window, and its standard part is oleacc's code. A failed
// load is tried again on the next request.
const Oleacc& OleaccFunctions() {
    static const Oleacc functions = LoadOleacc();
    return functions;
}

bool IsSelf(const VARIANT& child) noexcept { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT CopyOut(const std::wstring& text, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The window's standard object with the role, name and description of `facts`. Requests for the
// children and for the window handle go to the standard object as they are: without them a
// client could not walk from the window to its controls.
class ClientObject final : public IAccessible {
public:
    ClientObject(win32::ComPtr<IAccessible> standard, AccessibleFacts facts) noexcept
        : standard_(std::move(standard)), facts_(std::move(facts)) {}
    ClientObject(const ClientObject&) = delete;
    ClientObject& operator=(const ClientObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (iid == __uuidof(IEnumVARIANT) || iid == __uuidof(IOleWindow)) return standard_->QueryInterface(iid, object);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // Clients of accessibility call through the vtable; late binding is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return IsSelf(child) ? CopyOut(facts_.name, name) : standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (IsSelf(child) && !facts_.description.empty()) return CopyOut(facts_.description, description);
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = facts_.role;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~ClientObject() = default;

    // A client in another process releases through COM's threads as well.
    std::atomic<ULONG> references_{1};
    win32::ComPtr<IAccessible> standard_;
    AccessibleFacts facts_;
};

}  // namespace

bool LoadAccessibility() noexcept {
    try {
        OleaccFunctions();
        return true;
    } catch (...) {
        return false;
    }
}

LRESULT AnswerClientObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleFacts& facts) noexcept {
    // On 64-bit Windows the object id arrives zero-extended: OBJID_CLIENT (-4) is 0xFFFFFFFC.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return 0;
    try {
        const Oleacc& oleacc = OleaccFunctions();
        win32::ComPtr<IAccessible> standard;
        if (FAILED(
                oleacc.createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), standard.put_void()))) {
            return 0;
        }
        const auto object = win32::ComPtr<IAccessible>::Attach(new ClientObject(std::move(standard), facts));
        // The answer holds a reference of its own; a failure is a negative error code, not an answer.
        const LRESULT answer = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, object.get());
        return answer > 0 ? answer : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace qh::forms
