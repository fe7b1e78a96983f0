#pragma once
// The settings a test leaves for the stand-in; read afresh at each use.
#include <optional>
#include <string>

namespace qh::testing {

std::optional<std::wstring> StartupPathSetting();
bool FailCreationSetting();
std::optional<std::wstring> JournalSetting();

}  // namespace qh::testing
