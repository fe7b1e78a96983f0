#include "core/server_start_note.h"

#include <algorithm>

namespace qh {
namespace {

// The process clock's units (100 ns).
constexpr std::uint64_t kTicksPerSecond = 10'000'000;

}  // namespace

ServerStartNote::ServerStartNote(Processes& processes, std::wstring_view programId) : processes_(processes) {
    try {
        program_ = processes_.ServerProgramOf(programId);
        if (!program_.empty()) before_ = processes_.Running(program_);
    } catch (...) {
        // Without a note nothing can be told apart later, so nothing will be ended by it.
        program_.clear();
    }
}

std::vector<Ending> ServerStartNote::EndStartedSince() noexcept {
    std::vector<Ending> ended;
    if (program_.empty()) return ended;
    try {
        const std::uint64_t launchedBy = before_.takenAt + kServerLaunchTime.count() * kTicksPerSecond;
        for (const ProcessStart& process : processes_.Running(program_).processes) {
            const bool noted =
                std::find(before_.processes.begin(), before_.processes.end(), process) != before_.processes.end();
            const bool startedForUs = process.startTime >= before_.takenAt && process.startTime <= launchedBy;
            if (noted || !startedForUs) continue;
            if (const Ending ending = processes_.EndIfHidden(process); ending != Ending::AlreadyGone) {
                ended.push_back(ending);
            }
        }
    } catch (...) {
        // A failure is on its way already; the processes not looked at are left out.
    }
    return ended;
}

}  // namespace qh
