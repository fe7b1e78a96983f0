#pragma once
// Waiting on the window thread: window events are handled as they come, without spinning.
#include <functional>

#include "core/forms.h"

namespace qh {

// Handles window events until `done` answers true or `deadline` passes; true when done.
// A failure raised in a window procedure meanwhile comes out of here.
bool HandleEventsUntil(FormsRuntime& forms, FormsRuntime::Clock::time_point deadline,
                       const std::function<bool()>& done);

// The same for a `done` that no window event announces (a process that ends): the system does
// not wake the window thread for it, so it is looked at every few milliseconds.
bool HandleEventsLookingUntil(FormsRuntime& forms, FormsRuntime::Clock::time_point deadline,
                              const std::function<bool()>& done);

}  // namespace qh
