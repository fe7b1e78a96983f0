#pragma once
#include "core/accounts.h"

namespace qh::win32 {

// The process token's user against the owner of the desktop's shell window.
class Win32Accounts final : public Accounts {
public:
    bool RunsAsSignedInUser() override;
};

}  // namespace qh::win32
