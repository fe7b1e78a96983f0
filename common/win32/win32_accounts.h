#pragma once
#include <string>

#include "core/accounts.h"

namespace qh::win32 {

// The process token's user against the owner of the desktop's shell window, and the window
// station and session the process has.
class Win32Accounts final : public Accounts {
public:
    RunContext Context() override;
};

// The account the program runs as, "DOMAIN\name", for the log and the reports.
std::wstring AccountName();

}  // namespace qh::win32
