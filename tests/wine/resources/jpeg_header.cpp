#include "jpeg_header.h"

#include <cstring>

namespace qh::testing {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp0 = 0xE0;

int BigEndian16(std::span<const std::uint8_t> data, std::size_t at) { return data[at] << 8 | data[at + 1]; }

// SOF0 to SOF15, less the three markers in that range that are something else
// (DHT 0xC4, JPG 0xC8, DAC 0xCC).
bool IsFrameMarker(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM and RST0 to RST7.
bool HasNoLength(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> data) {
    if (data.size() < 2 || data[0] != 0xFF || data[1] != kStartOfImage) {
        return std::nullopt;
    }
    JpegHeader header;
    bool sawFrame = false;
    std::size_t at = 2;
    while (true) {
        if (at >= data.size() || data[at] != 0xFF) {
            return std::nullopt;
        }
        // Any number of 0xFF fill bytes may stand before a marker.
        while (at < data.size() && data[at] == 0xFF) {
            ++at;
        }
        if (at >= data.size()) {
            return std::nullopt;
        }
        const std::uint8_t marker = data[at++];
        if (HasNoLength(marker)) {
            continue;
        }
        if (at + 2 > data.size()) {
            return std::nullopt;
        }
        const auto length = static_cast<std::size_t>(BigEndian16(data, at));
        if (length < 2 || at + length > data.size()) {
            return std::nullopt;
        }
        const auto segment = data.subspan(at + 2, length - 2);
        if (marker == kStartOfScan) {
            return sawFrame ? std::optional(header) : std::nullopt;
        }
        if (IsFrameMarker(marker)) {
            if (segment.size() < 6) {
                return std::nullopt;
            }
            sawFrame = true;
            header.frameMarker = marker;
            header.precision = segment[0];
            header.height = BigEndian16(segment, 1);
            header.width = BigEndian16(segment, 3);
            header.components = segment[5];
        } else if (marker == kApp0 && segment.size() >= 12 && std::memcmp(segment.data(), "JFIF", 5) == 0) {
            header.hasJfif = true;
            header.densityUnits = segment[7];
            header.xDensity = BigEndian16(segment, 8);
            header.yDensity = BigEndian16(segment, 10);
        }
        at += length;
    }
}

}  // namespace qh::testing
