// The committed preview still: windres stores it as it is and GDI draws it, so it must be a plain
// 24-bit bottom-up BMP of exactly the preview monitor's size, and a picture rather than a blank.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int nBytes) {
    std::uint32_t n = 0;
    for (int i = nBytes - 1; i >= 0; --i) n = (n << 8) | b.at(at + i);
    return n;
}

TEST(PreviewStill, IsA152By112TwentyFourBitBottomUpBmp) {
    const auto a = ReadWholeFile(fs::path(VANTOREL_SOURCE_DIR) / "assets" / "pictures" / "preview.bmp");
    const std::uint32_t nStride = (152 * 3 + 3) / 4 * 4;
    ASSERT_EQ(a.size(), 54u + nStride * 112);
    EXPECT_EQ(a[0], 'B');
    EXPECT_EQ(a[1], 'M');
    EXPECT_EQ(Le(a, 2, 4), a.size());
    EXPECT_EQ(Le(a, 10, 4), 54u);   // pixels right after the two headers
    EXPECT_EQ(Le(a, 14, 4), 40u);   // BITMAPINFOHEADER
    EXPECT_EQ(Le(a, 18, 4), 152u);
    EXPECT_EQ(Le(a, 22, 4), 112u);  // positive: bottom-up
    EXPECT_EQ(Le(a, 26, 2), 1u);
    EXPECT_EQ(Le(a, 28, 2), 24u);
    EXPECT_EQ(Le(a, 30, 4), 0u);    // BI_RGB
    EXPECT_EQ(Le(a, 46, 4), 0u);    // no palette
}

TEST(PreviewStill, ShowsAPictureWithTheRingBrighterThanTheBackdrop) {
    const auto a = ReadWholeFile(fs::path(VANTOREL_SOURCE_DIR) / "assets" / "pictures" / "preview.bmp");
    ASSERT_GT(a.size(), 54u);
    std::set<std::uint32_t> aColours;
    int nBrightest = 0;
    for (std::size_t n = 54; n + 2 < a.size(); n += 3) {
        aColours.insert(Le(a, n, 3));
        nBrightest = std::max(nBrightest, a[n] + a[n + 1] + a[n + 2]);
    }
    EXPECT_GT(aColours.size(), 1000u) << "a rendered frame has thousands of colours";
    EXPECT_GT(nBrightest, 300) << "no lit glass in the picture";
}

}  // namespace
