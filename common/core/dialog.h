#pragma once
// How a question dialog hands its answer back, and the progress window's settle pause.
#include <chrono>

#include "core/forms.h"

namespace qh {

enum class Answer { GoAhead, Cancel };

// What closing a question through its close box means. For the Excel prompt it means "look again";
// for a confirmation it can only mean "no": closing a question is not consent.
enum class CloseBox { GoesAhead, Cancels };

// Shows the dialog modally, owned by Form1, reads its Tag and unloads it whatever the answer.
// Only a Tag of exactly "Cancel" cancels.
Answer Ask(FormsRuntime& forms, Form dialog, CloseBox closeBox);

inline constexpr std::chrono::seconds kSettleTime{1};

// Shows a progress window, owned by Form1, and lets it paint for a second before the work starts.
void ShowProgress(FormsRuntime& forms, Form progressWindow);

// Handles window events as they come for one second, without spinning.
void SettlePause(FormsRuntime& forms);

}  // namespace qh
