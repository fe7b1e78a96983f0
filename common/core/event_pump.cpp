#include "core/event_pump.h"

#include <algorithm>

namespace qh {
namespace {

constexpr std::chrono::milliseconds kLookInterval{10};

}  // namespace

bool HandleEventsUntil(FormsRuntime& forms, FormsRuntime::Clock::time_point deadline,
                       const std::function<bool()>& done) {
    for (;;) {
        if (done()) return true;
        if (forms.Now() >= deadline) return false;
        forms.PumpEventsUntil(deadline);
    }
}

bool HandleEventsLookingUntil(FormsRuntime& forms, FormsRuntime::Clock::time_point deadline,
                              const std::function<bool()>& done) {
    for (;;) {
        if (done()) return true;
        if (forms.Now() >= deadline) return false;
        forms.PumpEventsUntil(std::min(deadline, forms.Now() + kLookInterval));
    }
}

}  // namespace qh
