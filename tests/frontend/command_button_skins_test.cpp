// The Command button's skin pictures: committed files are what the generator makes, and each
// frame carries the colours of its look at the middle of every edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
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

struct FrameCase {
    const char* name;
    std::uint32_t aTop[4], aBottom[4];
};
class SkinFrames : public testing::TestWithParam<FrameCase> {};
TEST_P(SkinFrames, TopAndBottomRingsHaveTheColoursOfTheLook) {
    const auto a = Bytes(kAssets / "skins" / (std::string("skin_") + GetParam().name + ".bmp"));
    ASSERT_EQ(a.size(), 54u + 192u * 25u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Pixel(a, 32, i), GetParam().aTop[i]);
        EXPECT_EQ(Pixel(a, 32, 24 - i), GetParam().aBottom[i]);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Looks, SkinFrames,
    testing::Values(FrameCase{"normal", {0xDCD6C2, 0x003C74, 0xF3F3EE, 0xF3F3EE}, {0xFAFAF6, 0x003C74, 0xD6D0C5, 0xE2DFD6}},
                    FrameCase{"highlight", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330}},
                    FrameCase{"highlightselect", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330}},
                    FrameCase{"selected", {0xDCD6C2, 0x003C74, 0xCEE7FF, 0xCEE7FF}, {0xFAFAF6, 0x003C74, 0x6982EE, 0x6982EE}},
                    FrameCase{"pressed", {0xECE9D8, 0xDCD6C2, 0x003C74, 0xD1CCC1}, {0xECE9D8, 0xFAFAF6, 0x003C74, 0xF2F1EE}},
                    FrameCase{"disable", {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}}),
    [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST(CommandSkins, SideBandsShadeFromTopToBottom) {
    const auto a = Bytes(kAssets / "skins" / "skin_normal.bmp");
    EXPECT_EQ(Pixel(a, 1, 12), 0x003C74u);
    EXPECT_NE(Pixel(a, 2, 4), Pixel(a, 2, 20)) << "the third ring is a band, not one colour";
}

}  // namespace
