#pragma once
// The processes a run may have to end: only ever ones it started itself, known either by the
// window its automation object names or by when they started.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qh {

// A process told apart from any later one that gets the same number.
struct ProcessStart {
    std::uint32_t id = 0;
    std::uint64_t startTime = 0;  // in the units of ProcessSnapshot::takenAt
    bool operator==(const ProcessStart&) const = default;
};

// The processes of one program at one moment.
struct ProcessSnapshot {
    std::uint64_t takenAt = 0;  // read before the processes were listed (100 ns units)
    std::vector<ProcessStart> processes;
};

// What came of ending a process. One that shows a window on screen is left running: an Excel
// waiting for its user (a sign-in or activation question) is the user's to answer.
// Refused: the system would not end it.
enum class Ending { Ended, AlreadyGone, ShowsWindow, Refused };

// A process opened while it was certainly the one meant, and held so that its number cannot pass
// to another process meanwhile.
class HeldProcess {
public:
    virtual ~HeldProcess() = default;
    virtual bool HasEnded() noexcept = 0;
    // Ends it, unless it shows a window on screen, and waits (briefly) until it has gone.
    virtual Ending EndIfHidden() noexcept = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // The file name of the program that serves this automation class out of process (its
    // LocalServer32 entry), or empty when there is none.
    virtual std::wstring ServerProgramOf(std::wstring_view programId) = 0;
    // The processes running a program of this file name now.
    virtual ProcessSnapshot Running(std::wstring_view programFileName) = 0;
    // Opens the process, and ends it only if it is still the one meant (AlreadyGone otherwise) and
    // shows no window on screen.
    virtual Ending EndIfHidden(const ProcessStart& process) noexcept = 0;
    // Opens the process that owns this top-level window, if the window is of this class and still
    // belongs to it once the process is open; null otherwise.
    virtual std::unique_ptr<HeldProcess> HoldOwnerOf(std::int32_t window, std::string_view className) = 0;
};

}  // namespace qh
