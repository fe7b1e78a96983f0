#pragma once
// How a question dialog hands its answer back.
#include <string_view>

#include "core/forms.h"

namespace qh {

enum class Answer { GoAhead, Cancel };

// The Tags a dialog's buttons store; only exactly kCancelTag cancels.
inline constexpr std::wstring_view kOkTag = L"Ok";
inline constexpr std::wstring_view kCancelTag = L"Cancel";

// What closing a question through its close box means. For the Excel prompt it means "look again";
// for a confirmation it can only mean "no": closing a question is not consent.
enum class CloseBox { GoesAhead, Cancels };

// Shows the dialog modally, owned by Form1, reads its Tag and unloads it whatever the answer.
Answer Ask(FormsRuntime& forms, Form dialog, CloseBox closeBox);

}  // namespace qh
