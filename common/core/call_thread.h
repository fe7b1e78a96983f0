#pragma once
// A thread of its own for calls into another program that may not come back: the window thread
// goes on handling its windows meanwhile, and can stop waiting.
#include <functional>

namespace qh {

class CallThread {
public:
    virtual ~CallThread() = default;
    // Starts `call` on that thread and returns at once; one call at a time. When the call has
    // returned, the window thread's event pump wakes.
    virtual void Start(std::function<void()> call) = 0;
    // True once the call last started has returned; what it wrote is then visible to the caller.
    virtual bool Returned() = 0;
};

}  // namespace qh
