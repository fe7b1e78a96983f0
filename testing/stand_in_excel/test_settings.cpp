#include "test_settings.h"

#include "registry_key.h"
#include "stand_in_identity.h"

namespace qh::testing {
namespace {

DWORD Number(const wchar_t* value) {
    return ReadNumber(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), value).value_or(0);
}

// An empty text counts as not set.
std::optional<std::wstring> NonEmptyText(const wchar_t* value) {
    auto text = ReadText(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), value);
    if (text && text->empty()) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::wstring> StartupPathSetting() {
    return ReadText(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), kStartupPathValue);
}

bool FailCreationSetting() { return Number(kFailCreationValue) != 0; }

std::optional<std::wstring> JournalSetting() { return NonEmptyText(kJournalValue); }

std::chrono::milliseconds BusyForSetting() { return std::chrono::milliseconds(Number(kBusyForValue)); }

std::optional<std::wstring> SilentInSetting() { return NonEmptyText(kSilentInValue); }

std::chrono::milliseconds SlowStartSetting() { return std::chrono::milliseconds(Number(kSlowStartValue)); }

bool HangAtStartSetting() { return Number(kHangAtStartValue) != 0; }

bool RefuseCreationSetting() { return Number(kRefuseCreationValue) != 0; }

bool LeaveStartupFolderMissingSetting() { return Number(kLeaveStartupFolderMissingValue) != 0; }

bool LocalisedSetting() { return Number(kLocalisedValue) != 0; }

std::chrono::milliseconds QuitDelaySetting() { return std::chrono::milliseconds(Number(kQuitDelayValue)); }

bool PromptAtStartSetting() { return Number(kPromptAtStartValue) != 0; }

}  // namespace qh::testing
