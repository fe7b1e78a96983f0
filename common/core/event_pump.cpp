#include "core/event_pump.h"

namespace qh {

bool HandleEventsUntil(FormsRuntime& forms, FormsRuntime::Clock::time_point deadline,
                       const std::function<bool()>& done) {
    for (;;) {
        if (done()) return true;
        if (forms.Now() >= deadline) return false;
        forms.PumpEventsUntil(deadline);
    }
}

}  // namespace qh
