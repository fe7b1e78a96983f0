#pragma once
// The forms of a run with nobody at the desk: nothing is shown and the settle pause is skipped.
// The uninstaller's confirmation counts as given by the switch; the Excel prompt cannot be
// answered, so a running Excel ends the run before anything changes.
#include <map>
#include <stdexcept>
#include <string>

#include "core/forms.h"

namespace qh {

// Excel runs, and nobody is there to close it.
class ExcelRunsUnattended : public std::runtime_error {
public:
    ExcelRunsUnattended() : std::runtime_error("Excel is running and nobody can be asked to close it") {}
};

class QuietForms final : public FormsRuntime {
public:
    // `events` handles the window events that still come (the call thread's wake-ups).
    explicit QuietForms(FormsRuntime& events) noexcept : events_(events) {}

    ModalEnd Show(Form form, ShowMode mode, std::optional<Form> owner) override;
    void Unload(Form form) override { tags_.erase(form); }
    std::wstring Tag(Form form) override { return tags_[form]; }
    void SetTag(Form form, std::wstring tag) override { tags_[form] = std::move(tag); }
    Clock::time_point Now() override { return events_.Now(); }
    void PumpEventsUntil(Clock::time_point deadline) override { events_.PumpEventsUntil(deadline); }
    void End() override {}
    bool AsksTheUser() override { return false; }

private:
    FormsRuntime& events_;
    std::map<Form, std::wstring> tags_;
};

}  // namespace qh
