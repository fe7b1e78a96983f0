#include "win32/call_thread.h"

#include <objbase.h>

#include <atomic>
#include <stdexcept>
#include <utility>

#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

// How long the end of a run waits for the thread to leave.
constexpr DWORD kStopMilliseconds = 5000;

}  // namespace

struct Win32CallThread::Shared {
    UniqueKernelHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a call or the stop is there
    // Handed over through `returned`: the window thread writes it only while that is true, the
    // call thread only while it is false.
    std::function<void()> call;
    std::atomic<bool> returned{true};
    std::atomic<bool> stop{false};
    DWORD windowThread = ::GetCurrentThreadId();
    CallApartment apartment = CallApartment::Multithreaded;
};

Win32CallThread::Win32CallThread(CallApartment apartment) : shared_(std::make_shared<Shared>()) {
    shared_->apartment = apartment;
    ThrowLastErrorIfNull(shared_->wake.get(), L"CreateEventW", L"call thread");
}

Win32CallThread::~Win32CallThread() {
    if (!thread_) return;
    shared_->stop = true;
    ::SetEvent(shared_->wake.get());
    ::WaitForSingleObject(thread_.get(), kStopMilliseconds);
}

void Win32CallThread::Start(std::function<void()> call) {
    if (!shared_->returned) throw std::logic_error("a call was started while another one was in progress");
    shared_->call = std::move(call);
    shared_->returned = false;
    if (!thread_) {
        // The thread keeps its own share, in case it outlives this object inside a call.
        auto* share = new std::shared_ptr<Shared>(shared_);
        thread_.reset(::CreateThread(nullptr, 0, Run, share, 0, nullptr));
        if (!thread_) {
            delete share;
            shared_->call = nullptr;
            shared_->returned = true;
            ThrowLastError(L"CreateThread", L"call thread");
        }
    }
    ::SetEvent(shared_->wake.get());
}

bool Win32CallThread::Returned() { return shared_->returned; }

DWORD WINAPI Win32CallThread::Run(void* share) {
    const std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(share));
    delete static_cast<std::shared_ptr<Shared>*>(share);
    // In the multithreaded apartment a call from here into another process blocks without a
    // message loop, and nothing here needs pumping. The shell wants a single-threaded one, without
    // the DDE of old (ShellExecuteEx, Remarks); nothing calls into it while it waits.
    const HRESULT joined = ::CoInitializeEx(nullptr, shared->apartment == CallApartment::Shell
                                                         ? COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE
                                                         : COINIT_MULTITHREADED);
    for (;;) {
        ::WaitForSingleObject(shared->wake.get(), INFINITE);
        if (shared->stop) break;
        if (shared->returned) continue;
        // What the call held goes here, on this thread, before the caller hears it returned.
        std::exchange(shared->call, nullptr)();
        shared->returned = true;
        // Wakes the window thread's pump, which waits for messages.
        ::PostThreadMessageW(shared->windowThread, WM_NULL, 0, 0);
    }
    if (SUCCEEDED(joined)) ::CoUninitialize();
    return 0;
}

}  // namespace qh::win32
