#pragma once
// A minimal PNG encoder for screenshots: 8-bit RGB, no filtering, deflate 'stored' blocks.
// The files are larger than a compressing encoder's, but the code needs no library and is easy to
// check byte by byte.
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace qh::testing {

// CRC-32 as PNG chunks use it (ISO 3309, reflected, initial and final value 0xFFFFFFFF).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous = 0);

// Adler-32 as the zlib stream trailer uses it.
std::uint32_t Adler32(std::span<const std::uint8_t> bytes);

// rgb holds height rows of width pixels, 3 bytes each (red, green, blue), top row first.
std::vector<std::uint8_t> EncodePng(std::uint32_t width, std::uint32_t height, std::span<const std::uint8_t> rgb);

// EncodePng, then written to path; throws std::runtime_error when the file cannot be written.
void WritePng(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint8_t> rgb);

}  // namespace qh::testing
