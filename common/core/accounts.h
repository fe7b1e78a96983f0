#pragma once
// Whose run this is. Excel's start-up folder is the running account's: a run as anybody but the
// person signed in would put the workbooks where that person never sees them, and an Excel
// started where nobody sits at the desk could never be answered.
namespace qh {

// Who owns the desktop's shell (the person signed in), as this run's account sees it.
enum class ShellOwner { ThisAccount, AnotherAccount, NoShell };

// What the system tells of the account and the desktop a run has.
struct RunContext {
    bool serviceAccount = false;  // the system, local service or network service account
    ShellOwner shell = ShellOwner::ThisAccount;
    bool interactiveStation = true;  // its window station is one a user sees (WSF_VISIBLE)
    bool sessionZero = false;        // the services' session, where no user sits
};

// Whether the run has a desktop that someone sees: a shell, or else an interactive window station
// outside the services' session.
bool HasDesktop(const RunContext& run);

// True when the program runs as the person signed in to Windows: not as another account (an
// administrator's own, a deployment tool's) and not as a service account. Without a shell (a
// service, a scheduled task run whether the user is signed in or not, a remote command), only a
// run on a desktop a user sees, outside the services' session, is theirs.
bool RunsAsSignedInUser(const RunContext& run);

class Accounts {
public:
    virtual ~Accounts() = default;
    virtual RunContext Context() = 0;
};

}  // namespace qh
