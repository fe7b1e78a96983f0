#pragma once
// The class object one automation process registers: it hands out one ApplicationObject.
#include <windows.h>
#include <unknwn.h>

namespace qh::testing {

class MainWindow;

// Lives on the server's stack for the whole message loop, so reference counts do not own it.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const MainWindow& mainWindow) noexcept : mainWindow_(mainWindow) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const MainWindow& mainWindow_;
};

}  // namespace qh::testing
