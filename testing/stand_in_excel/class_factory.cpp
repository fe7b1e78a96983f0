#include "class_factory.h"

#include <chrono>
#include <new>

#include "application_object.h"
#include "journal.h"
#include "main_window.h"
#include "test_settings.h"

namespace qh::testing {
namespace {

constexpr std::chrono::seconds kRefusedServerLifetime{1};

}  // namespace

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (FailCreationSetting()) {
        // What a client sees when Excel cannot start; nobody will use this process any more. It
        // ends a moment later, so that this answer leaves the process before it goes.
        mainWindow_.CloseAfter(kRefusedServerLifetime);
        return CO_E_SERVER_EXEC_FAILURE;
    }
    if (RefuseCreationSetting()) {
        // Excel busy as it starts. Its class served this one request and is gone, so the process
        // runs on, hidden, until its unclaimed time is up.
        JournalEvent(L"refused", L"CreateInstance 0x8001010A");
        return RPC_E_SERVERCALL_RETRYLATER;
    }
    auto* application = new (std::nothrow) ApplicationObject(mainWindow_);
    if (!application) return E_OUTOFMEMORY;
    const HRESULT hr = application->QueryInterface(iid, object);
    application->Release();
    if (SUCCEEDED(hr)) mainWindow_.CancelDelayedClose();
    return hr;
}

}  // namespace qh::testing
