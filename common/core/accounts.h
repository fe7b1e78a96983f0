#pragma once
// Whose run this is. Excel's start-up folder is the running account's: a run as anybody but the
// person signed in would put the workbooks where that person never sees them.
namespace qh {

class Accounts {
public:
    virtual ~Accounts() = default;
    // True when the program runs as the person signed in to Windows: not as another account (an
    // administrator's own, a deployment tool's) and not as a service account.
    virtual bool RunsAsSignedInUser() = 0;
};

}  // namespace qh
