#include "core/dialog.h"

#include <string>

#include "core/event_pump.h"

namespace qh {

Answer Ask(FormsRuntime& forms, Form dialog, CloseBox closeBox) {
    const ModalEnd end = forms.Show(dialog, ShowMode::Modal, Form::Form1);
    // After the close box this reads a fresh instance's Tag, which is empty.
    const bool cancelled =
        forms.Tag(dialog) == L"Cancel" || (end == ModalEnd::ClosedByUser && closeBox == CloseBox::Cancels);
    forms.Unload(dialog);
    return cancelled ? Answer::Cancel : Answer::GoAhead;
}

void ShowProgress(FormsRuntime& forms, Form progressWindow) {
    forms.Show(progressWindow, ShowMode::Modeless, Form::Form1);
    SettlePause(forms);
}

void SettlePause(FormsRuntime& forms) {
    HandleEventsUntil(forms, forms.Now() + kSettleTime, [] { return false; });
}

}  // namespace qh
