#include "ui_driver/png_writer.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qh::testing {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();

// The largest payload of one stored deflate block (its length field has 16 bits).
constexpr std::size_t kMaxStoredBlock = 65535;

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void AppendChunk(std::vector<std::uint8_t>& out, std::string_view type, std::span<const std::uint8_t> data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the type and the data, not the length.
    AppendBigEndian(out, Crc32(std::span(out).subspan(typeStart)));
}

// The zlib stream of the filtered image: header, stored blocks, Adler-32 of the uncompressed bytes.
std::vector<std::uint8_t> StoredZlibStream(std::span<const std::uint8_t> raw) {
    std::vector<std::uint8_t> out;
    out.reserve(raw.size() + raw.size() / kMaxStoredBlock * 5 + 16);
    // CMF 0x78: deflate with a 32 KiB window; FLG 0x01 makes CMF*256+FLG a multiple of 31.
    out.push_back(0x78);
    out.push_back(0x01);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 0x01 : 0x00);  // BFINAL, BTYPE 00 (stored), padded to the byte
        const auto len = static_cast<std::uint16_t>(length);
        const auto nlen = static_cast<std::uint16_t>(~len);
        out.push_back(static_cast<std::uint8_t>(len & 0xFF));
        out.push_back(static_cast<std::uint8_t>(len >> 8));
        out.push_back(static_cast<std::uint8_t>(nlen & 0xFF));
        out.push_back(static_cast<std::uint8_t>(nlen >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    AppendBigEndian(out, Adler32(raw));
    return out;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous) {
    std::uint32_t c = previous ^ 0xFFFFFFFFU;
    for (std::uint8_t b : bytes) {
        c = kCrcTable[(c ^ b) & 0xFFU] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kModulus = 65521;
    // 5552 is the longest run whose sums cannot overflow 32 bits before the modulo.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::size_t start = 0; start < bytes.size(); start += kRun) {
        const std::size_t end = std::min(bytes.size(), start + kRun);
        for (std::size_t i = start; i < end; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(std::uint32_t width, std::uint32_t height, std::span<const std::uint8_t> rgb) {
    if (width == 0 || height == 0) {
        throw std::invalid_argument("EncodePng: an image needs at least one pixel");
    }
    const std::size_t rowBytes = std::size_t{width} * 3;
    if (rgb.size() != rowBytes * height) {
        throw std::invalid_argument("EncodePng: " + std::to_string(rgb.size()) + " bytes given for " +
                                    std::to_string(width) + "x" + std::to_string(height) + " RGB pixels");
    }

    // Each scanline starts with its filter type; 0 (None) keeps the bytes as they are.
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = rgb.subspan(y * rowBytes, rowBytes);
        raw.insert(raw.end(), row.begin(), row.end());
    }

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {
                                    8,  // bit depth
                                    2,  // colour type: truecolour
                                    0,  // compression: deflate
                                    0,  // filter method: adaptive (per-row type byte)
                                    0,  // no interlace
                                });
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", StoredZlibStream(raw));
    AppendChunk(png, "IEND", {});
    return png;
}

void WritePng(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint8_t> rgb) {
    const auto png = EncodePng(width, height, rgb);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    file.close();
    if (!file) {
        const auto name = path.u8string();
        throw std::runtime_error("WritePng: cannot write " + std::string(name.begin(), name.end()));
    }
}

}  // namespace qh::testing
