#pragma once
// The call thread on Win32: a thread of its own, so that a call that takes its time (into another
// process, or a prompt of the system's) blocks only it, never the window thread's message handling.
#include <windows.h>

#include <memory>

#include "core/call_thread.h"
#include "win32/unique_handle.h"

namespace qh::win32 {

// The apartment the thread joins.
enum class CallApartment {
    // Calls into another process block without a message loop: Excel's.
    Multithreaded,
    // What the shell asks of a thread that calls it: some of its extensions work in no other.
    Shell,
};

class Win32CallThread final : public CallThread {
public:
    // The thread that makes the object is the window thread whose pump a returned call wakes.
    explicit Win32CallThread(CallApartment apartment = CallApartment::Multithreaded);
    // Tells the thread to stop and waits a little for it. A thread still inside a call that never
    // came back is left to the end of the process, with what it holds.
    ~Win32CallThread() override;
    Win32CallThread(const Win32CallThread&) = delete;
    Win32CallThread& operator=(const Win32CallThread&) = delete;

    void Start(std::function<void()> call) override;
    bool Returned() override;

private:
    struct Shared;
    static DWORD WINAPI Run(void* shared);

    std::shared_ptr<Shared> shared_;
    UniqueKernelHandle thread_;  // started with the first call
};

}  // namespace qh::win32
