#pragma once
// What a JPEG file's markers say about it, read up to the start of the scan data.
#include <cstdint>
#include <optional>
#include <span>

namespace qh::testing {

struct JpegHeader {
    std::uint8_t frameMarker = 0;  // the SOFn marker's second byte: 0xC0 is baseline DCT
    int width = 0;
    int height = 0;
    int components = 0;
    int precision = 0;
    bool hasJfif = false;
    int densityUnits = 0;  // JFIF: 0 aspect ratio only, 1 dots per inch, 2 dots per centimetre
    int xDensity = 0;
    int yDensity = 0;
};

// Nothing when the data is not a JPEG, is cut short before the scan, or has no frame header.
std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> data);

}  // namespace qh::testing
