#pragma once
// Checks for a run in which one platform call was made to fail: the run stops at that call, Excel,
// where it was created, still gets Quit, and what exists is released in the run's own order.
#include <cstddef>
#include <string>
#include <vector>

namespace qh::fake {

// Releases happen in destructors and never fail; every other journalled call may.
bool IsRelease(const std::wstring& call);
std::size_t CountFailableCalls(const std::vector<std::wstring>& calls);

// `full` is the journal of the run without failure, `calls` that of the run whose failable call
// number `failAt` failed. Adds GoogleTest failures for what is wrong.
void ExpectStoppedAtFailure(const std::vector<std::wstring>& full, const std::vector<std::wstring>& calls,
                            std::size_t failAt);

}  // namespace qh::fake
