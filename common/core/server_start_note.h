#pragma once
// What ran of an automation server's program just before a run asked for an instance, so that
// the process started for that request can be told from every other one when the request never
// completes: the system gives no handle to it then, and it may not have a window yet.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/processes.h"

namespace qh {

// The system starts the server for a request at once; a process of its program that starts
// later than this after the note is another program's.
inline constexpr std::chrono::seconds kServerLaunchTime{10};

class ServerStartNote {
public:
    ServerStartNote(Processes& processes, std::wstring_view programId);

    // Ends the server's processes that started since the note, within kServerLaunchTime of it,
    // unless they show a window on screen; how each of them ended.
    std::vector<Ending> EndStartedSince() noexcept;

private:
    Processes& processes_;
    std::wstring program_;  // empty: the class has no server program of its own to end
    ProcessSnapshot before_;
};

}  // namespace qh
