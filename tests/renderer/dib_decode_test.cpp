// The portable decoder on small hand-made pictures, one per rule of GDI's conversion into a 24-bit
// bottom-up section: row order and padding, palettes, bit fields, and the run-length codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "renderer/dib_decode.h"
#include "renderer/textures.h"
#include "tests/renderer/dib_test_support.h"

namespace {

using dibtest::BmpRecipe;
using dibtest::CExactBuffer;

// Pixels as 0xRRGGBB values, bottom row first, turned into the reader's R G B bytes.
std::vector<uint8_t> Rgb(std::initializer_list<uint32_t> aPixels) {
    std::vector<uint8_t> a;
    for (uint32_t n : aPixels) {
        a.push_back(static_cast<uint8_t>(n >> 16));
        a.push_back(static_cast<uint8_t>(n >> 8));
        a.push_back(static_cast<uint8_t>(n));
    }
    return a;
}

std::vector<uint8_t> Le16(std::initializer_list<uint16_t> aValues) {
    std::vector<uint8_t> a;
    for (uint16_t n : aValues) {
        a.push_back(static_cast<uint8_t>(n));
        a.push_back(static_cast<uint8_t>(n >> 8));
    }
    return a;
}

std::vector<uint8_t> Le32(std::initializer_list<uint32_t> aValues) {
    std::vector<uint8_t> a;
    for (uint32_t n : aValues)
        for (int i = 0; i < 4; ++i) a.push_back(static_cast<uint8_t>(n >> (8 * i)));
    return a;
}


BmpRecipe WithPalette(BmpRecipe recipe, std::vector<uint32_t> aPalette, uint32_t nCompression = kDibRgb) {
    recipe.nClrUsed = static_cast<uint32_t>(aPalette.size());
    recipe.aPalette = std::move(aPalette);
    recipe.nCompression = nCompression;
    return recipe;
}

BmpRecipe WithMasks(BmpRecipe recipe, std::vector<uint32_t> aMasks) {
    recipe.nCompression = kDibBitFields;
    recipe.aMasks = std::move(aMasks);
    return recipe;
}

const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0x000000;
const std::vector<uint32_t> kRgbwPalette = {R, G, B, W};

struct DecodeCase {
    const char* pszName;
    std::function<BmpRecipe()> fnRecipe;
    std::vector<uint8_t> aExpected;
};

void PrintTo(const DecodeCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DibDecodeTest, ConvertsLikeGdi) {
    const DecodeCase& item = GetParam();
    const BmpRecipe recipe = item.fnRecipe();
    for (bool bFile : {true, false}) {
        SCOPED_TRACE(bFile ? "as a BM file" : "as a bare DIB");
        BmpRecipe variant = recipe;
        variant.bFile = bFile;
        const CExactBuffer buffer(variant.Bytes());
        DibResult eResult = DibResult::kConversionError;
        RgbImage* pImage = DecodeDib(buffer.Data(), buffer.Size(), eResult);
        ASSERT_NE(pImage, nullptr) << DibResultMessage(eResult);
        EXPECT_EQ(pImage->nWidth, recipe.nWidth);
        EXPECT_EQ(pImage->nHeight, recipe.nHeight);
        const std::vector<uint8_t> aActual(pImage->pData, pImage->pData + item.aExpected.size());
        EXPECT_EQ(aActual, item.aExpected);
        FreeRgbImage(pImage);
    }
}

INSTANTIATE_TEST_SUITE_P(dib, DibDecodeTest, testing::Values(
    DecodeCase{"rgb24_rows_padded_bottom_first",
               [] { return dibtest::MadePicture(2, 2, 24, {0, 0, 0xFF, 0, 0xFF, 0, 0, 0,  0xFF, 0, 0, 1, 2, 3, 0, 0}); },
               Rgb({R, G, B, 0x030201})},
    DecodeCase{"rgb24_top_down_turned_bottom_up",
               [] { return dibtest::MadePicture(1, -3, 24, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}); },
               Rgb({B, G, R})},
    DecodeCase{"rgb32_high_byte_ignored",
               [] { return dibtest::MadePicture(2, 1, 32, Le32({0xFF112233, 0x00445566})); }, Rgb({0x112233, 0x445566})},
    DecodeCase{"rgb16_default_is_555_scaled_to_full_range",
               [] { return dibtest::MadePicture(4, 1, 16, Le16({0x7FFF, 0x8000, 0x0421, 0x7C00})); },
               Rgb({W, K, 0x080808, R})},
    DecodeCase{"rgb16_565_fields",
               [] { return WithMasks(dibtest::MadePicture(2, 1, 16, Le16({0xFFFF, 0x07E0})), {0xF800, 0x07E0, 0x001F}); },
               Rgb({W, G})},
    DecodeCase{"rgb16_two_bit_field_rounds",
               [] {
                   return WithMasks(dibtest::MadePicture(3, 1, 16, Le16({0x0001, 0x0002, 0x003C, 0})), {0x0003, 0x001C, 0x0020});
               },
               Rgb({0x550000, 0xAA0000, 0x00FFFF})},
    DecodeCase{"rgb32_fields_in_any_order",
               [] { return WithMasks(dibtest::MadePicture(1, 1, 32, Le32({0x11223344})), {0x0000FF00, 0xFF000000, 0x00FF0000}); },
               Rgb({0x331122})},
    DecodeCase{"rgb32_wide_field_keeps_top_bits",
               [] { return WithMasks(dibtest::MadePicture(1, 1, 32, Le32({0x3FF00000})), {0x3FF00000, 0x000FFC00, 0x000003FF}); },
               Rgb({0xFF0000})},
    DecodeCase{"pal1_msb_first_across_a_byte",
               [] { return WithPalette(dibtest::MadePicture(9, 1, 1, {0xA0, 0x80, 0, 0}), {K, W}); },
               Rgb({W, K, W, K, K, K, K, K, W})},
    DecodeCase{"pal1_missing_second_entry_is_black",
               [] { return WithPalette(dibtest::MadePicture(2, 1, 1, {0x40, 0, 0, 0}), {G}); }, Rgb({G, K})},
    DecodeCase{"pal4_high_nibble_first",
               [] { return WithPalette(dibtest::MadePicture(3, 1, 4, {0x01, 0x23, 0, 0}), kRgbwPalette); }, Rgb({R, G, B})},
    DecodeCase{"pal8_index_past_table_is_black",
               [] { return WithPalette(dibtest::MadePicture(3, 1, 8, {3, 4, 255, 0}), kRgbwPalette); }, Rgb({W, K, K})},
    DecodeCase{"core_palette_three_bytes_an_entry",
               [] {
                   BmpRecipe s = dibtest::MadePicture(2, 2, 8, {1, 0, 0, 0, 0, 1, 0, 0});
                   s.nHeaderSize = 12;
                   s.aPalette.assign(256, 0);
                   s.aPalette[0] = 0x123456;
                   s.aPalette[1] = 0xABCDEF;
                   return s;
               },
               Rgb({0xABCDEF, 0x123456, 0x123456, 0xABCDEF})},
    DecodeCase{"rle8_runs_absolute_delta_and_end_of_line",
               [] {
                   // Row 0: run of 2 x index 1, absolute 3 (padded), EOL. Row 1: delta (1, 1) to row 2,
                   // run of 1 x index 2, EOBMP. Row 1 and the rest of row 2 stay undefined: black.
                   return WithPalette(dibtest::MadePicture(5, 3, 8, {2, 1, 0, 3, 0, 2, 3, 0, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1}),
                                      kRgbwPalette, kDibRle8);
               },
               Rgb({G, G, R, B, W, K, K, K, K, K, K, B, K, K, K})},
    DecodeCase{"rle8_run_past_the_right_edge_is_clipped",
               [] { return WithPalette(dibtest::MadePicture(3, 2, 8, {9, 1, 0, 0, 1, 2, 0, 1}), kRgbwPalette, kDibRle8); },
               Rgb({G, G, G, B, K, K})},
    DecodeCase{"rle8_stream_without_end_code_stops_at_its_end",
               [] { return WithPalette(dibtest::MadePicture(2, 2, 8, {2, 3}), kRgbwPalette, kDibRle8); }, Rgb({W, W, K, K})},
    DecodeCase{"rle8_cut_absolute_run_keeps_what_is_there",
               [] { return WithPalette(dibtest::MadePicture(4, 1, 8, {0, 4, 1, 2}), kRgbwPalette, kDibRle8); },
               Rgb({G, B, K, K})},
    DecodeCase{"rle4_run_alternates_nibbles",
               [] { return WithPalette(dibtest::MadePicture(5, 1, 4, {5, 0x12, 0, 1}), kRgbwPalette, kDibRle4); },
               Rgb({G, B, G, B, G})},
    DecodeCase{"rle4_odd_absolute_run_padded_to_a_word",
               [] {
                   return WithPalette(dibtest::MadePicture(6, 1, 4, {0, 5, 0x30, 0x12, 0x00, 0x77, 1, 0x20, 0, 1}), kRgbwPalette,
                                      kDibRle4);
               },
               Rgb({W, R, G, B, R, B})}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.pszName); });

struct MessageCase {
    const char* pszName;
    std::function<bool(const std::string&)> fnPrepare;  // writes the file (or not)
    std::string sMessage;                              // empty: decodes without a message
};

void PrintTo(const MessageCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibReadFileTest : public testing::TestWithParam<MessageCase> {};

// The message is what the user would see in the box; "%s" is the path.
TEST_P(DibReadFileTest, ShowsTheReaderMessage) {
    const MessageCase& item = GetParam();
    const std::string sPath =
        testing::TempDir() + "dib_read_file_" + std::to_string(getpid()) + "_" + item.pszName + ".bmp";
    std::remove(sPath.c_str());
    ASSERT_TRUE(item.fnPrepare(sPath));
    testing::internal::CaptureStderr();
    RgbImage* pImage = ReadDibFile(sPath.c_str());
    const std::string sShown = testing::internal::GetCapturedStderr();
    std::string sExpected = item.sMessage;
    const size_t nAt = sExpected.find("%s");
    if (nAt != std::string::npos) sExpected.replace(nAt, 2, sPath);
    if (item.sMessage.empty()) {
        EXPECT_NE(pImage, nullptr);
        EXPECT_EQ(sShown, "");
    } else {
        EXPECT_EQ(pImage, nullptr);
        EXPECT_EQ(sShown, "Error: " + sExpected + "\n");
    }
    FreeRgbImage(pImage);
    std::remove(sPath.c_str());
}

std::function<bool(const std::string&)> Writes(std::vector<uint8_t> aBytes) {
    return [aBytes](const std::string& sPath) { return dibtest::WriteBytes(sPath, aBytes); };
}

std::vector<uint8_t> GoodBytes() { return dibtest::MadePicture(1, 1, 24, {1, 2, 3, 0}).Bytes(); }

INSTANTIATE_TEST_SUITE_P(dib, DibReadFileTest, testing::Values(
    MessageCase{"good", Writes(GoodBytes()), ""},
    MessageCase{"missing", [](const std::string&) { return true; }, "Failed to open DIB file %s.\n"},
    MessageCase{"empty", Writes({}), "Failed to open DIB file %s.\n"},
    MessageCase{"directory", [](const std::string& sPath) { return mkdir(sPath.c_str(), 0700) == 0; },
                "Failed to open DIB file %s.\n"},
    MessageCase{"truncated", Writes([] { auto a = GoodBytes(); a.pop_back(); return a; }()),
                "Image file conversion error."},
    MessageCase{"v5_header", Writes([] { BmpRecipe s = dibtest::MadePicture(1, 1, 24, {1, 2, 3, 0}); s.nHeaderSize = 124;
                                         return s.Bytes(); }()),
                "Unknown DIB file format."}),
    [](const testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.pszName); });

}  // namespace
