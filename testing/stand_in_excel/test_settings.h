#pragma once
// The settings a test leaves for the stand-in; read afresh at each use.
#include <chrono>
#include <optional>
#include <string>

namespace qh::testing {

std::optional<std::wstring> StartupPathSetting();
bool FailCreationSetting();
std::optional<std::wstring> JournalSetting();
std::chrono::milliseconds BusyForSetting();
std::optional<std::wstring> SilentInSetting();
std::chrono::milliseconds SlowStartSetting();
bool HangAtStartSetting();
bool RefuseCreationSetting();
bool LeaveStartupFolderMissingSetting();
bool LocalisedSetting();
std::chrono::milliseconds QuitDelaySetting();
bool PromptAtStartSetting();

}  // namespace qh::testing
