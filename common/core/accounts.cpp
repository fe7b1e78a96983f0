#include "core/accounts.h"

namespace qh {

bool RunsAsSignedInUser(const RunContext& run) {
    if (run.serviceAccount) return false;
    switch (run.shell) {
        case ShellOwner::ThisAccount: return true;
        case ShellOwner::AnotherAccount: return false;
        case ShellOwner::NoShell: return run.interactiveStation && !run.sessionZero;
    }
    return false;  // no value of the enumeration
}

}  // namespace qh
