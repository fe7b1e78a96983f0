#pragma once
// What assistive technology finds of another process's windows: their accessible objects (MSAA),
// and the events they raise, seen as a screen reader sees them.
#include <windows.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui_driver/wait.h"

namespace qh::testing {

// EVENT_OBJECT_LIVEREGIONCHANGED, which the headers give only to programs for Windows 8 and later.
inline constexpr DWORD kLiveRegionChangedEvent = 0x8019;

struct AccessibleReading {
    long role;  // ROLE_SYSTEM_...
    std::wstring name;
    std::wstring description;
};

// The window's client object, as AccessibleObjectFromWindow gives it to this process. The
// window's thread must be pumping messages: one that has not answered within kMessageTimeout fails.
AccessibleReading ReadClientObject(HWND window);

// The WinEvents one process raises, through an out-of-context hook on a thread of its own that
// pumps messages, as a screen reader's does.
class WinEventRecorder {
public:
    explicit WinEventRecorder(DWORD processId);
    ~WinEventRecorder();
    WinEventRecorder(const WinEventRecorder&) = delete;
    WinEventRecorder& operator=(const WinEventRecorder&) = delete;

    // When `event` was first seen for `window`'s client object (`objectId`); throws when it has
    // not been seen within timeout.
    std::chrono::steady_clock::time_point WaitFor(DWORD event, HWND window,
                                                  std::chrono::milliseconds timeout = kDefaultTimeout,
                                                  LONG objectId = OBJID_CLIENT) const;

private:
    struct Seen {
        DWORD event;
        HWND window;
        LONG objectId;
        std::chrono::steady_clock::time_point at;
    };
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG, DWORD, DWORD);
    void Listen(DWORD processId);

    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
    DWORD threadId_ = 0;
    std::thread thread_;
};

}  // namespace qh::testing
