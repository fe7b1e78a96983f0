#pragma once
// What an administrator reads of a run: one line per step, written as it is done.
#include <string_view>

namespace qh {

class RunLog {
public:
    virtual ~RunLog() = default;
    // Writes one line, with its time; a log that cannot be written loses the line, not the run.
    virtual void Step(std::wstring_view what) noexcept = 0;
};

// A run without "/log".
class NoRunLog final : public RunLog {
public:
    void Step(std::wstring_view) noexcept override {}
};

}  // namespace qh
