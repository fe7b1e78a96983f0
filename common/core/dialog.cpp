#include "core/dialog.h"

#include <string>

namespace qh {

Answer Ask(FormsRuntime& forms, Form dialog, CloseBox closeBox) {
    const ModalEnd end = forms.Show(dialog, ShowMode::Modal, Form::Form1);
    // After the close box this reads a fresh instance's Tag, which is empty.
    const bool cancelled =
        forms.Tag(dialog) == kCancelTag || (end == ModalEnd::Unloaded && closeBox == CloseBox::Cancels);
    forms.Unload(dialog);
    return cancelled ? Answer::Cancel : Answer::GoAhead;
}

}  // namespace qh
