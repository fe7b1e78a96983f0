#pragma once
// A file of the medium held open once, its copy written beside its target and put in place by
// renaming it: the target's place only ever holds a finished copy.
#include <memory>
#include <string>

#include "core/file_details.h"
#include "win32/sha256.h"

namespace qh::win32 {

// `sha256` outlives what this returns.
std::unique_ptr<HeldSource> HoldFile(const std::wstring& file, Sha256& sha256);

}  // namespace qh::win32
