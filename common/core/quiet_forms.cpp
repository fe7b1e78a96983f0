#include "core/quiet_forms.h"

#include "core/dialog.h"

namespace qh {

ModalEnd QuietForms::Show(Form form, ShowMode mode, std::optional<Form>) {
    if (mode == ShowMode::Modeless) return ModalEnd::NotShown;
    if (form == Form::UnInstall) {
        tags_[form] = kOkTag;  // the switch is the consent
        return ModalEnd::Hidden;
    }
    if (form == Form::ExitExcel) throw ExcelRunsUnattended();
    throw std::logic_error("a quiet run has no answer for this dialog");
}

}  // namespace qh
