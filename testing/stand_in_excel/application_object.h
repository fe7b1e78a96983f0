#pragma once
// The "Excel.Application" object: a hand-written IDispatch with the two members a setup program
// uses, StartupPath and Quit. Every call is written to the journal. The test settings give it
// Excel's rough edges: busy at first, silent in one member, a localised object model.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace qh::testing {

class MainWindow;

class ApplicationObject final : public IDispatch {
public:
    // `mainWindow` outlives every instance: the process ends only after its message loop.
    explicit ApplicationObject(const MainWindow& mainWindow) noexcept;
    ApplicationObject(const ApplicationObject&) = delete;
    ApplicationObject& operator=(const ApplicationObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~ApplicationObject() = default;

    // RPC_E_CALL_REJECTED and RPC_E_SERVERCALL_RETRYLATER in turn while busy, else S_OK.
    HRESULT Refusal(std::wstring_view name);
    // A localised object model knows its English names only in the English locale.
    bool UnknownInLocale(std::wstring_view name, LCID locale) const;
    HRESULT GetStartupPath(WORD flags, const DISPPARAMS& parameters, VARIANT* result);
    HRESULT Quit(WORD flags, const DISPPARAMS& parameters);
    HRESULT GetHwnd(WORD flags, const DISPPARAMS& parameters, VARIANT* result);

    std::atomic<ULONG> references_{1};
    const MainWindow& mainWindow_;
    // The journal names a member as the caller spelt it when it asked for its identifier.
    std::map<DISPID, std::wstring> spellingByMember_;
    const std::chrono::steady_clock::time_point created_ = std::chrono::steady_clock::now();
    unsigned refusals_ = 0;
    bool quitting_ = false;
};

}  // namespace qh::testing
