#pragma once
// How the stand-in was asked to run.
#include <string>
#include <vector>

namespace qh::testing {

enum class RunMode {
    UserExcel,   // started by hand: a visible window, ends when it is closed
    Automation,  // started by COM for one client
    Register,
    Unregister,
    Invalid,
};

// `arguments` without the program's own name. Switches take '/' or '-' and any letter case.
RunMode ParseRunMode(const std::vector<std::wstring>& arguments);

}  // namespace qh::testing
