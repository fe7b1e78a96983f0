#include "core/accounts.h"

namespace qh {

bool HasDesktop(const RunContext& run) {
    return run.shell != ShellOwner::NoShell || (run.interactiveStation && !run.sessionZero);
}

bool RunsAsSignedInUser(const RunContext& run) {
    if (run.serviceAccount) return false;
    switch (run.shell) {
        case ShellOwner::ThisAccount: return true;
        case ShellOwner::AnotherAccount: return false;
        case ShellOwner::NoShell: return HasDesktop(run);
    }
    return false;  // no value of the enumeration
}

}  // namespace qh
