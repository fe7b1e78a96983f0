#include "test_settings.h"

#include "registry_key.h"
#include "stand_in_identity.h"

namespace qh::testing {

std::optional<std::wstring> StartupPathSetting() {
    return ReadText(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), kStartupPathValue);
}

bool FailCreationSetting() {
    return ReadNumber(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), kFailCreationValue).value_or(0) != 0;
}

std::optional<std::wstring> JournalSetting() {
    auto path = ReadText(OpenKeyForReading(HKEY_CURRENT_USER, kSettingsKey).get(), kJournalValue);
    if (path && path->empty()) return std::nullopt;
    return path;
}

}  // namespace qh::testing
