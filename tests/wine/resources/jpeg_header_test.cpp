// The marker reader on hand-made headers: it must not misread what the logo test relies on.
#include "jpeg_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace qh::testing {
namespace {

using Data = std::vector<std::uint8_t>;

const Data kJfif300Dpi = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                          0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
const Data kQuantTable = {0xFF, 0xDB, 0x00, 0x04, 0x00, 0x00};
const Data kScan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};

Data Frame(std::uint8_t marker, std::uint8_t components) {
    // 8 bits, 49 rows, 220 columns, then three bytes per component that the reader skips.
    Data frame(10 + 3u * components, 0x11);
    const std::uint8_t start[] = {
        0xFF, marker, 0x00, static_cast<std::uint8_t>(8 + 3 * components), 0x08, 0x00, 0x31, 0x00, 0xDC, components};
    std::copy(std::begin(start), std::end(start), frame.begin());
    return frame;
}

Data Join(std::initializer_list<Data> parts) {
    Data joined = {0xFF, 0xD8};
    for (const Data& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

TEST(JpegHeader, ReadsFrameAndDensity) {
    const auto header = ReadJpegHeader(Join({kJfif300Dpi, kQuantTable, Frame(0xC0, 3), kScan}));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->frameMarker, 0xC0);
    EXPECT_EQ(header->width, 220);
    EXPECT_EQ(header->height, 49);
    EXPECT_EQ(header->components, 3);
    EXPECT_EQ(header->precision, 8);
    EXPECT_TRUE(header->hasJfif);
    EXPECT_EQ(header->densityUnits, 1);
    EXPECT_EQ(header->xDensity, 300);
    EXPECT_EQ(header->yDensity, 300);
}

TEST(JpegHeader, TellsProgressiveAndGreyFromBaselineColour) {
    const auto progressive = ReadJpegHeader(Join({Frame(0xC2, 3), kScan}));
    ASSERT_TRUE(progressive.has_value());
    EXPECT_EQ(progressive->frameMarker, 0xC2);
    EXPECT_FALSE(progressive->hasJfif);

    const auto grey = ReadJpegHeader(Join({Frame(0xC0, 1), kScan}));
    ASSERT_TRUE(grey.has_value());
    EXPECT_EQ(grey->components, 1);
}

TEST(JpegHeader, SkipsFillBytesAndTablesThatLookLikeFrames) {
    // DHT (0xC4) lies in the SOFn range of marker codes but is no frame.
    const Data huffmanTable = {0xFF, 0xC4, 0x00, 0x04, 0x00, 0x00};
    const Data fill = {0xFF, 0xFF};
    const auto header = ReadJpegHeader(Join({Frame(0xC0, 3), fill, huffmanTable, kScan}));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->frameMarker, 0xC0);
    EXPECT_EQ(header->width, 220);
}

TEST(JpegHeader, RefusesWhatIsNoCompleteHeader) {
    const Data frame = Frame(0xC0, 3);
    const Data cutFrame(frame.begin(), frame.end() - 4);
    const struct {
        const char* what;
        Data data;
    } cases[] = {
        {"empty", {}},
        {"no start of image", Data{0xFF, 0xD9, 0xFF, 0xD8}},
        {"scan before any frame", Join({kJfif300Dpi, kScan})},
        {"segment cut short", Join({cutFrame})},
        {"ends before the scan", Join({kJfif300Dpi, frame})},
        {"garbage between segments", Join({frame, Data{0x00}, kScan})},
    };
    for (const auto& [what, data] : cases) {
        EXPECT_FALSE(ReadJpegHeader(data).has_value()) << what;
    }
}

}  // namespace
}  // namespace qh::testing
