#include "ui_driver/png_writer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>
#include <vector>

#include "case_name.h"
#include "png_decoder.h"
#include "temp_file.h"

namespace qh::testing {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

struct ChecksumCase {
    const char* name;
    std::vector<std::uint8_t> input;
    std::uint32_t crc32;
    std::uint32_t adler32;

    friend void PrintTo(const ChecksumCase& c, std::ostream* out) { *out << c.name; }
};

// Reference values from zlib's crc32() and adler32().
const ChecksumCase kChecksumCases[] = {
    {"empty", {}, 0x00000000, 0x00000001},
    {"check_string", Bytes("123456789"), 0xCBF43926, 0x091E01DE},
    {"word", Bytes("Wikipedia"), 0xADAAC02E, 0x11E60398},
    // Longer than Adler-32's 5552-byte run between modulo reductions, with the largest byte value.
    {"long_run_of_0xFF", std::vector<std::uint8_t>(100000, 0xFF), 0x68C6CEC4, 0x149A302C},
};

class Checksums : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(Checksums, MatchZlibReferenceValues) {
    const auto& c = GetParam();
    EXPECT_EQ(Crc32(c.input), c.crc32);
    EXPECT_EQ(Adler32(c.input), c.adler32);
}

INSTANTIATE_TEST_SUITE_P(PngWriter, Checksums, ::testing::ValuesIn(kChecksumCases), CaseName{});

TEST(PngWriter, CrcCanBeComputedInPieces) {
    const auto whole = Bytes("123456789");
    const std::span<const std::uint8_t> all(whole);
    EXPECT_EQ(Crc32(all.subspan(4), Crc32(all.first(4))), 0xCBF43926U);
}

struct ImageCase {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;

    friend void PrintTo(const ImageCase& c, std::ostream* out) { *out << c.name; }
};

// The stored deflate blocks hold at most 65535 bytes; the filtered rows take (3 * width + 1) * height.
const ImageCase kImageCases[] = {
    {"one_pixel", 1, 1},
    {"exactly_one_full_block", 28, 771},  // 85 * 771 = 65535
    {"one_byte_past_a_block", 1, 16384},  // 4 * 16384 = 65536
    {"several_blocks", 300, 250},
};

class PngRoundTrip : public ::testing::TestWithParam<ImageCase> {};

TEST_P(PngRoundTrip, SystemDecoderReadsBackTheSamePixels) {
    const auto& c = GetParam();
    std::vector<std::uint8_t> rgb(std::size_t{c.width} * c.height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>((i * 7 + i / 3) & 0xFF);
    }
    TempFile file(L"roundtrip_" + std::to_wstring(c.width) + L"x" + std::to_wstring(c.height) + L".png");
    WritePng(file.Path(), c.width, c.height, rgb);

    const auto chunks = ReadPngChunks(ReadFileBytes(file.Path()));
    ASSERT_EQ(chunks.size(), 3U);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    // Each chunk's CRC covers its type and data (Crc32 itself is checked against zlib above).
    for (const auto& chunk : chunks) {
        EXPECT_EQ(chunk.storedCrc, Crc32(chunk.data, Crc32(Bytes(chunk.type)))) << chunk.type;
    }

    const DecodedImage decoded = DecodePngWithWic(file.Path());
    EXPECT_EQ(decoded.width, c.width);
    EXPECT_EQ(decoded.height, c.height);
    EXPECT_TRUE(decoded.rgb == rgb) << "decoded pixels differ from the encoded ones";
}

INSTANTIATE_TEST_SUITE_P(PngWriter, PngRoundTrip, ::testing::ValuesIn(kImageCases), CaseName{});

TEST(PngWriter, RejectsPixelCountsThatDoNotFitTheSize) {
    const std::vector<std::uint8_t> sixPixels(18);
    EXPECT_THROW(EncodePng(2, 2, sixPixels), std::invalid_argument);
    EXPECT_THROW(EncodePng(0, 6, sixPixels), std::invalid_argument);
    EXPECT_NO_THROW(EncodePng(3, 2, sixPixels));
}

}  // namespace
}  // namespace qh::testing
