#include "core/medium_check.h"

#include <algorithm>

#include "core/file_set.h"
#include "core/file_system.h"
#include "core/paths.h"
#include "core/setup_error.h"

namespace qh {
namespace {

constexpr std::size_t kHexDigits = 64;

bool IsHexSum(std::string_view text) {
    return text.size() == kHexDigits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::wstring Widened(std::string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

std::optional<std::array<std::string, 3>> ParseCarriedSums(std::string_view text) {
    std::array<std::string, 3> sums;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.size() < kHexDigits + 2 || line.substr(kHexDigits, 2) != "  ") return std::nullopt;
        const std::wstring name = Widened(line.substr(kHexDigits + 2));
        const auto file = std::find(kAddInFiles.begin(), kAddInFiles.end(), name);
        if (file == kAddInFiles.end() || !IsHexSum(line.substr(0, kHexDigits))) return std::nullopt;
        std::string& sum = sums[static_cast<std::size_t>(file - kAddInFiles.begin())];
        if (!sum.empty()) return std::nullopt;
        sum = line.substr(0, kHexDigits);
    }
    if (std::any_of(sums.begin(), sums.end(), [](const std::string& sum) { return sum.empty(); })) return std::nullopt;
    return sums;
}

bool ChecksItsFiles(FileDetails& files) { return files.CarriedSums().has_value(); }

std::optional<std::string> CarriedSumOf(FileDetails& files, std::wstring_view name) {
    const std::optional<std::string> carried = files.CarriedSums();
    if (!carried) return std::nullopt;
    const auto sums = ParseCarriedSums(*carried);
    if (!sums) {
        SetupError broken(L"The installer's own sums", {}, 0, L"Not three SHA-256 sums of the add-in's files");
        broken.SetKind(FailureKind::BrokenBuild);
        throw broken;
    }
    return (
        *sums)[static_cast<std::size_t>(std::find(kAddInFiles.begin(), kAddInFiles.end(), name) - kAddInFiles.begin())];
}

void RequireCarriedSum(const std::wstring& file, const std::string& found, const std::string& carried, RunLog& log) {
    if (found == carried) return;
    log.Step(FileNameOf(file) + L" is not the file this installer was made with: its SHA-256 is " + Widened(found) +
             L", the installer's " + Widened(carried));
    SetupError changed(L"SHA-256", file, 0, L"The file's sum differs from the installer's");
    changed.SetKind(FailureKind::MediumChanged);
    throw changed;
}

void CheckMedium(FileDetails& files, RunLog& log, std::span<const std::wstring_view> names) {
    if (!files.CarriedSums()) return;
    const std::wstring folder = NormaliseFolderPath(files.ProgramFolder());
    for (const std::wstring_view name : names) {
        const std::optional<std::string> carried = CarriedSumOf(files, name);
        const std::wstring file = folder + L"\\" + std::wstring(name);
        DoStep({Activity::CheckingMedium, std::wstring(name), {file}}, [&] {
            std::string found;
            try {
                found = files.Sha256Of(file);
            } catch (SetupError& unread) {
                // As its copy would: a file that is not there is not on the medium, or was left
                // in the zip archive the installer was started from.
                if (unread.Kind() == FailureKind::FileNotFound) unread.SetKind(MissingSourceKind(files, file));
                throw;
            }
            RequireCarriedSum(file, found, *carried, log);
        });
    }
    log.Step(L"The installation medium's files are the ones this installer was made with");
}

}  // namespace qh
