#pragma once
// The progress window and the settle pause that lets it paint before the work starts.
#include <chrono>

#include "core/forms.h"

namespace qh {

inline constexpr std::chrono::seconds kSettleTime{1};

// Shows a progress window, owned by Form1, and lets it paint for a second before the work starts.
void ShowProgress(FormsRuntime& forms, Form progressWindow);

// Handles window events as they come for one second, without spinning.
void SettlePause(FormsRuntime& forms);

}  // namespace qh
