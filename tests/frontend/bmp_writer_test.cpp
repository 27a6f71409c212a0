// The texture files' bytes: the renderer reads them raw from byte 54, so every header field counts.
#include "frontend/bmp_writer.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& a, std::size_t n) {
    return a[n] | (a[n + 1] << 8) | (a[n + 2] << 16) | (static_cast<std::uint32_t>(a[n + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& a, std::size_t n) {
    return static_cast<std::uint16_t>(a[n] | (a[n + 1] << 8));
}

TEST(BmpWriter, WritesTheOnePixelTintExactly) {
    const std::vector<std::uint8_t> aPixel = {0x10, 0x20, 0x30, 0x00};  // blue, green, red, padding
    const std::vector<std::uint8_t> aExpected = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,     // file header
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // size, width, height, planes, bits
        0, 0, 0, 0, 4, 0, 0, 0,                             // no compression, image bytes
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // resolution, no colour table
        0x10, 0x20, 0x30, 0x00};
    EXPECT_EQ(Nerlo_B::MakeBmp24(1, 1, aPixel), aExpected);
}

struct SizeCase {
    std::int32_t nWidth, nHeight;
    std::size_t nStride;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.nWidth << " x " << c.nHeight; }

class BmpSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(BmpSizes, HeaderFieldsMatchTheSize) {
    const SizeCase& c = GetParam();
    SCOPED_TRACE(testing::Message() << c.nWidth << " x " << c.nHeight);
    ASSERT_EQ(Nerlo_B::Bmp24RowStride(c.nWidth), c.nStride);
    std::vector<std::uint8_t> aPixels(c.nStride * c.nHeight);
    for (std::size_t i = 0; i < aPixels.size(); ++i) aPixels[i] = static_cast<std::uint8_t>(i * 7);
    const auto aFile = Nerlo_B::MakeBmp24(c.nWidth, c.nHeight, aPixels);
    ASSERT_EQ(aFile.size(), 54 + aPixels.size());
    EXPECT_EQ(Le32(aFile, 2), aFile.size());        // bfSize
    EXPECT_EQ(Le32(aFile, 10), 54u);                // pixels right after the headers
    EXPECT_EQ(Le32(aFile, 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(aFile, 18)), c.nWidth);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(aFile, 22)), c.nHeight);  // positive: bottom-up
    EXPECT_EQ(Le16(aFile, 26), 1);
    EXPECT_EQ(Le16(aFile, 28), 24);
    EXPECT_EQ(Le32(aFile, 30), 0u);
    EXPECT_EQ(Le32(aFile, 34), aPixels.size());     // biSizeImage
    EXPECT_EQ(Le32(aFile, 46), 0u);                 // no colour table
    EXPECT_TRUE(std::equal(aPixels.begin(), aPixels.end(), aFile.begin() + 54));
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpSizes, testing::Values(
    SizeCase{1, 1, 4}, SizeCase{2, 3, 8}, SizeCase{3, 2, 12}, SizeCase{5, 1, 16}, SizeCase{256, 256, 768}));

TEST(BmpWriter, RefusesPixelsThatDoNotMatchTheSize) {
    EXPECT_TRUE(Nerlo_B::MakeBmp24(1, 1, {1, 2, 3}).empty());  // row not padded
    EXPECT_TRUE(Nerlo_B::MakeBmp24(2, 2, std::vector<std::uint8_t>(8)).empty());
    EXPECT_TRUE(Nerlo_B::MakeBmp24(0, 1, {}).empty());
    EXPECT_TRUE(Nerlo_B::MakeBmp24(1, -1, std::vector<std::uint8_t>(4)).empty());
}

}  // namespace
