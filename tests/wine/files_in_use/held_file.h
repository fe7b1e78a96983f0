#pragma once
// A file held open by this process with no sharing at all, as an editor that locks its document
// does: to the programs under test it is another program's file.
#include <windows.h>

#include <filesystem>

#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {

class HeldFile {
public:
    // Throws std::runtime_error when the file cannot be opened.
    explicit HeldFile(const std::filesystem::path& file);

private:
    win32::UniqueFileHandle handle_;
};

}  // namespace qh::testing
