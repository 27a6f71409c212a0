// The Command button's skin pictures: committed files are what the generator makes, and each
// frame carries the colours of its look at the middle of every edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
const fs::path kAssets = fs::path(VANTOREL_SOURCE_DIR) / "assets";
const char* const kSkins[6] = {"normal", "highlight", "highlightselect", "selected", "pressed", "disable"};

std::vector<unsigned char> Bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// #RRGGBB of pixel (x, y), y from the top, in a 64 x 25 bottom-up 24-bit picture.
std::uint32_t Pixel(const std::vector<unsigned char>& a, int x, int y) {
    const std::size_t n = 54 + static_cast<std::size_t>(24 - y) * 192 + x * 3;
    return (a[n + 2] << 16) | (a[n + 1] << 8) | a[n];
}

TEST(CommandSkins, GeneratorRemakesTheCommittedFilesByteForByte) {
    const fs::path out = fs::temp_directory_path() / "vantorel_skins_check";
    fs::remove_all(out);
    const std::string command = "python3 '" + (kAssets / "generator" / "make_skins.py").string() + "' --out '" +
                                out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : kSkins) {
        SCOPED_TRACE(name);
        const std::string file = std::string("skin_") + name + ".bmp";
        const auto committed = Bytes(kAssets / "skins" / file);
        ASSERT_EQ(committed.size(), 54u + 192u * 25u);
        EXPECT_EQ(committed, Bytes(out / "skins" / file));
    }
    fs::remove_all(out);
}

// The frame of one look, outside inwards; side bands as the colour on the column's first and last
// visible rows (just inside the top and bottom rings), with the middle row where one is given.
struct Band {
    std::uint32_t nFirst, nLast, nMiddle = 0;
};
struct FrameCase {
    const char* name;
    std::uint32_t aTop[4], aBottom[4];
    Band aLeft[4], aRight[4];
    int nOutlineRing;
};
void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class SkinFrames : public testing::TestWithParam<FrameCase> {
protected:
    std::vector<unsigned char> a = Bytes(kAssets / "skins" / (std::string("skin_") + GetParam().name + ".bmp"));
};

TEST_P(SkinFrames, TopAndBottomRingsHaveTheColoursOfTheLook) {
    ASSERT_EQ(a.size(), 54u + 192u * 25u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Pixel(a, 32, i), GetParam().aTop[i]);
        EXPECT_EQ(Pixel(a, 32, 24 - i), GetParam().aBottom[i]);
    }
}

TEST_P(SkinFrames, SideColumnsShadeFromTheirFirstRowToTheirLast) {
    ASSERT_EQ(a.size(), 54u + 192u * 25u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "ring " << i);
        const int nFirst = i + 1, nLast = 23 - i;
        for (const auto& column : {std::pair{i, GetParam().aLeft[i]}, std::pair{63 - i, GetParam().aRight[i]}}) {
            // Named copies rather than structured bindings: lambdas below capture them.
            const int x = column.first;
            const auto& band = column.second;
            SCOPED_TRACE(testing::Message() << "x " << x);
            // The outline ring's ends belong to its rounded corners.
            const int nFrom = i == GetParam().nOutlineRing ? nFirst + 2 : nFirst;
            const int nTo = i == GetParam().nOutlineRing ? nLast - 2 : nLast;
            EXPECT_EQ(Pixel(a, x, nFrom), band.nFirst) << std::hex << Pixel(a, x, nFrom);
            EXPECT_EQ(Pixel(a, x, nTo), band.nLast) << std::hex << Pixel(a, x, nTo);
            if (band.nMiddle) {
                EXPECT_EQ(Pixel(a, x, 12), band.nMiddle) << std::hex << Pixel(a, x, 12);
            }
            // Every channel moves one way only between the stops.
            for (int nChannel = 0; nChannel < 24; nChannel += 8) {
                auto at = [&](int y) { return static_cast<int>((Pixel(a, x, y) >> nChannel) & 0xFF); };
                auto monotonic = [&](int y0, int y1) {
                    const int nSign = at(y1) >= at(y0) ? 1 : -1;
                    for (int y = y0; y < y1; ++y)
                        if ((at(y + 1) - at(y)) * nSign < 0) return false;
                    return true;
                };
                if (band.nMiddle) {
                    EXPECT_TRUE(monotonic(nFrom, 12)) << "channel " << nChannel;
                    EXPECT_TRUE(monotonic(12, nTo)) << "channel " << nChannel;
                } else {
                    EXPECT_TRUE(monotonic(nFrom, nTo)) << "channel " << nChannel;
                }
            }
        }
    }
}

TEST_P(SkinFrames, OutlineCornersAreRoundedWithBlendsAlikeAtAllFour) {
    ASSERT_EQ(a.size(), 54u + 192u * 25u);
    const int r = GetParam().nOutlineRing;
    const std::uint32_t nOutline = GetParam().aTop[r];
    // Pixel k steps along an edge from the corner (dx, dy), at corner (right, lower).
    auto at = [&](bool bRight, bool bLower, int dx, int dy) {
        return Pixel(a, bRight ? 63 - r - dx : r + dx, bLower ? 24 - r - dy : r + dy);
    };
    const std::uint32_t nNear = at(false, false, 1, 0), nFar = at(false, false, 2, 0);
    for (bool bRight : {false, true}) {
        for (bool bLower : {false, true}) {
            SCOPED_TRACE(testing::Message() << (bLower ? "lower " : "upper ") << (bRight ? "right" : "left"));
            // The corner pixel is cut off: it shows the ring outside the outline.
            EXPECT_EQ(at(bRight, bLower, 0, 0), (bLower ? GetParam().aBottom : GetParam().aTop)[r - 1]);
            EXPECT_EQ(at(bRight, bLower, 1, 1), nOutline) << "the curve runs through the diagonal";
            for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) EXPECT_EQ(at(bRight, bLower, dx, dy), nNear);
            for (const auto& [dx, dy] : {std::pair{2, 0}, std::pair{0, 2}}) EXPECT_EQ(at(bRight, bLower, dx, dy), nFar);
            EXPECT_EQ(at(bRight, bLower, 3, 0), nOutline);
        }
    }
    // Blends: the near pixel lies about halfway to the light inside, the far one close to the outline.
    auto distance = [](std::uint32_t p, std::uint32_t q) {
        int n = 0;
        for (int s = 0; s < 24; s += 8) n += std::abs(static_cast<int>((p >> s) & 0xFF) - static_cast<int>((q >> s) & 0xFF));
        return n;
    };
    EXPECT_NE(nNear, nOutline);
    EXPECT_NE(nFar, nOutline);
    EXPECT_LT(distance(nFar, nOutline), distance(nNear, nOutline));
}

INSTANTIATE_TEST_SUITE_P(
    Looks, SkinFrames,
    testing::Values(
        FrameCase{"normal", {0xDCD6C2, 0x003C74, 0xF3F3EE, 0xF3F3EE}, {0xFAFAF6, 0x003C74, 0xD6D0C5, 0xE2DFD6},
                  {{0xE2DECB, 0xE2DECB}, {0x003C74, 0x003C74}, {0xFDFDFC, 0xECEBE6}, {0xFDFDFC, 0xEBEBE5}},
                  {{0xF0EEE0, 0xF0EEE0}, {0x003C74, 0x003C74}, {0xF6F4F2, 0xE0DDD4}, {0xFBFBFA, 0xE4E2DA}}, 1},
        FrameCase{"highlight", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
                  {{0xE2DECB, 0xE2DECB}, {0x003C74, 0x003C74}, {0xFEDF9A, 0xF9B435}, {0xFCD279, 0xF8B535}},
                  {{0xF0EEE0, 0xF0EEE0}, {0x003C74, 0x003C74}, {0xFDE09B, 0xF8B435}, {0xFCD279, 0xF8B535}}, 1},
        FrameCase{"highlightselect", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
                  {{0xE2DECB, 0xE2DECB}, {0x003C74, 0x003C74}, {0xFEDF9A, 0xF9B435}, {0xFCD279, 0xF8B535}},
                  {{0xF0EEE0, 0xF0EEE0}, {0x003C74, 0x003C74}, {0xFDE09B, 0xF8B435}, {0xFCD279, 0xF8B535}}, 1},
        FrameCase{"selected", {0xDCD6C2, 0x003C74, 0xCEE7FF, 0xCEE7FF}, {0xFAFAF6, 0x003C74, 0x6982EE, 0x6982EE},
                  {{0xE2DECB, 0xE2DECB}, {0x003C74, 0x003C74}, {0xB7D0F4, 0x8BADE4}, {0xB8D1F4, 0x8BADE4}},
                  {{0xF0EEE0, 0xF0EEE0}, {0x003C74, 0x003C74}, {0xB1CCF2, 0x8BAFE5}, {0xB1CCF2, 0x8BAFE5}}, 1},
        FrameCase{"pressed", {0xECE9D8, 0xDCD6C2, 0x003C74, 0xD1CCC1}, {0xECE9D8, 0xFAFAF6, 0x003C74, 0xF2F1EE},
                  {{0xECE9D8, 0xECE9D8}, {0xE2DECB, 0xE2DECB}, {0x003C74, 0x003C74}, {0xA0ABB1, 0xBCC5C7, 0xD7D4CB}},
                  {{0xECE9D8, 0xECE9D8}, {0xF0EEE0, 0xF0EEE0}, {0x003C74, 0x003C74}, {0xA9B5BD, 0xC4CED2, 0xE4E3DC}}, 2},
        FrameCase{"disable", {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA},
                  {{0xECE9D8, 0xECE9D8}, {0xC9C7BA, 0xC9C7BA}, {0xF5F4EA, 0xF5F4EA}, {0xF5F4EA, 0xF5F4EA}},
                  {{0xECE9D8, 0xECE9D8}, {0xC9C7BA, 0xC9C7BA}, {0xF5F4EA, 0xF5F4EA}, {0xF5F4EA, 0xF5F4EA}}, 1}),
    [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST(CommandSkins, NormalOutlineBlendsIntoItsTopLeftCornerThroughTheListedColours) {
    const auto a = Bytes(kAssets / "skins" / "skin_normal.bmp");
    EXPECT_EQ(Pixel(a, 2, 1), 0x7A95A8u);
    EXPECT_EQ(Pixel(a, 3, 1), 0x255783u);
    EXPECT_EQ(Pixel(a, 1, 2), 0x7A95A8u);
    EXPECT_EQ(Pixel(a, 1, 3), 0x255783u);
}

}  // namespace
