#include "held_file.h"

#include <stdexcept>
#include <string>

namespace qh::testing {

HeldFile::HeldFile(const std::filesystem::path& file)
    : handle_(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, /*dwShareMode=*/0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!handle_) {
        throw std::runtime_error("cannot hold " + file.string() + " open (error " + std::to_string(::GetLastError()) +
                                 ")");
    }
}

}  // namespace qh::testing
