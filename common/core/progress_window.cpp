#include "core/progress_window.h"

#include "core/event_pump.h"

namespace qh {

void ShowProgress(FormsRuntime& forms, Form progressWindow) {
    // Nobody to see it: no pause for it either.
    if (forms.Show(progressWindow, ShowMode::Modeless, Form::Form1) == ModalEnd::NotShown) return;
    SettlePause(forms);
}

void SettlePause(FormsRuntime& forms) {
    HandleEventsUntil(forms, forms.Now() + kSettleTime, [] { return false; });
}

}  // namespace qh
