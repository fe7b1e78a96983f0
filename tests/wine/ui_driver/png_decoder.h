#pragma once
// Reading PNG files back with the system's own decoder (WIC), independent of our encoder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qh::testing {

struct DecodedImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, red, green, blue
};

// Throws std::runtime_error naming the failed step when the file does not decode.
DecodedImage DecodePngWithWic(const std::filesystem::path& path);

struct PngChunk {
    std::string type;
    std::vector<std::uint8_t> data;
    std::uint32_t storedCrc = 0;
};

// The chunks after the signature, as stored; throws when the signature or a length is wrong.
std::vector<PngChunk> ReadPngChunks(const std::vector<std::uint8_t>& file);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

}  // namespace qh::testing
