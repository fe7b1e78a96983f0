#pragma once
// The installer knows the files it ships. A release build carries the SHA-256 of each add-in file
// it was made with, inside the signed program, and the installer checks the files beside it
// against those before it asks or changes anything: a download cut short, an extraction
// interrupted, a bad sector, or a workbook replaced on a share or emptied by a virus scanner is
// refused, where it would otherwise be copied into Excel's start-up folder and opened at every
// start. A build without the add-in's files carries no sums and checks nothing.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/file_details.h"
#include "core/run_log.h"

namespace qh {

// The sums of the add-in files, in the order of kAddInFiles, from the text a build carries: a line
// "<64 hex digits>  <name>" for each of them and no other. Nothing when the text is anything else.
std::optional<std::array<std::string, 3>> ParseCarriedSums(std::string_view text);

// Whether this build carries sums to check its files against.
bool ChecksItsFiles(FileDetails& files);

// The sum the build carries for the add-in file `name`; none in a build without sums. Sums that
// cannot be read are a BrokenBuild.
std::optional<std::string> CarriedSumOf(FileDetails& files, std::wstring_view name);

// Refuses the add-in file `file`, whose bytes have the SHA-256 `found`, unless that is the
// `carried` one: a SetupError of kind MediumChanged, the log given both sums.
void RequireCarriedSum(const std::wstring& file, const std::string& found, const std::string& carried, RunLog& log);

// Checks the named add-in files beside the program against the sums the build carries; a build
// without sums checks nothing. A file that differs is a SetupError of kind MediumChanged (the log
// gets both sums); one that is missing is reported as its copy would be; sums that cannot be read
// are a BrokenBuild.
void CheckMedium(FileDetails& files, RunLog& log, std::span<const std::wstring_view> names);

}  // namespace qh
