#pragma once
// Registration of the stand-in as the "Excel.Application" local server: per user where COM reads
// that (Windows), for the machine as well where it does not (Wine).
#include <string>

namespace qh::testing {

// Writes (again, if already there) the class and program identifier for `serverPath`, then checks
// that the program identifier resolves to it, in any letter case. Throws std::runtime_error.
void RegisterStandIn(const std::wstring& serverPath);

// Removes the stand-in's class, and the program identifier only where it still names that class.
void UnregisterStandIn();

}  // namespace qh::testing
