// The DIB parser: colour counts, where it finds the table and the pixels, and that every lying or short
// header is refused before anything is read past the buffer (the buffers here are exact heap blocks,
// so AddressSanitizer catches a read one byte too far).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "renderer/dib_decode.h"
#include "renderer/dib_header.h"
#include "tests/renderer/dib_test_support.h"

namespace {

using dibtest::BmpRecipe;
using dibtest::CExactBuffer;

struct ColorCountCase {
    const char* pszName;
    uint32_t nSize;
    uint16_t nBitCount;
    uint32_t nClrUsed;
    uint16_t nExpected;
};

void PrintTo(const ColorCountCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibColorCountTest : public testing::TestWithParam<ColorCountCase> {};

TEST_P(DibColorCountTest, CountsTheEntriesAfterTheHeader) {
    const ColorCountCase& item = GetParam();
    DibHeader header;
    header.nSize = item.nSize;
    header.nBitCount = item.nBitCount;
    header.nClrUsed = item.nClrUsed;
    EXPECT_EQ(DibColorCount(header), item.nExpected);
}

INSTANTIATE_TEST_SUITE_P(dib, DibColorCountTest, testing::Values(
    ColorCountCase{"core_1bit", 12, 1, 0, 2},
    ColorCountCase{"core_4bit", 12, 4, 0, 16},
    ColorCountCase{"core_8bit", 12, 8, 0, 256},
    ColorCountCase{"core_24bit", 12, 24, 0, 0},
    ColorCountCase{"core_has_no_colours_used", 12, 8, 7, 256},
    ColorCountCase{"info_8bit_default", 40, 8, 0, 256},
    ColorCountCase{"info_8bit_colours_used", 40, 8, 12, 12},
    ColorCountCase{"info_24bit_with_table", 40, 24, 300, 300},
    ColorCountCase{"info_16bit", 40, 16, 0, 0},
    ColorCountCase{"info_32bit", 40, 32, 0, 0},
    ColorCountCase{"info_2bit_is_no_palette_depth", 40, 2, 0, 0},
    ColorCountCase{"sixteen_bit_result", 40, 8, 0x10005, 5}),
    [](const testing::TestParamInfo<ColorCountCase>& info) { return std::string(info.param.pszName); });

BmpRecipe Paletted8(int nWidth, int nHeight, int nColours) {
    BmpRecipe recipe;
    recipe.nWidth = nWidth;
    recipe.nHeight = nHeight;
    recipe.nBitCount = 8;
    recipe.nClrUsed = static_cast<uint32_t>(nColours);
    recipe.aPalette.assign(static_cast<size_t>(nColours), 0x102030);
    recipe.aBits.assign(static_cast<size_t>((nWidth + 3) / 4 * 4 * (nHeight < 0 ? -nHeight : nHeight)), 1);
    return recipe;
}

struct LayoutCase {
    const char* pszName;
    std::function<BmpRecipe()> fnRecipe;
    size_t nColorTableOffset;
    uint32_t nPaletteEntries;
    size_t nBitsOffset;
    size_t nBitsSize;
};

void PrintTo(const LayoutCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(DibLayoutTest, FindsTableAndPixels) {
    const LayoutCase& item = GetParam();
    const CExactBuffer buffer(item.fnRecipe().Bytes());
    DibLayout layout;
    ASSERT_EQ(ParseDib(buffer.Data(), buffer.Size(), layout), DibResult::kOk);
    EXPECT_EQ(layout.nColorTableOffset, item.nColorTableOffset);
    EXPECT_EQ(layout.nPaletteEntries, item.nPaletteEntries);
    EXPECT_EQ(layout.nBitsOffset, item.nBitsOffset);
    EXPECT_EQ(layout.nBitsSize, item.nBitsSize);
}

INSTANTIATE_TEST_SUITE_P(dib, DibLayoutTest, testing::Values(
    LayoutCase{"file_uses_its_pixel_offset", [] { auto s = Paletted8(4, 2, 3); return s; }, 54, 3, 66, 8},
    LayoutCase{"bare_dib_pixels_follow_the_table", [] { auto s = Paletted8(4, 2, 3); s.bFile = false; return s; },
               40, 3, 52, 8},
    LayoutCase{"bare_core_entries_are_three_bytes", [] {
                   BmpRecipe s;
                   s.bFile = false; s.nHeaderSize = 12; s.nBitCount = 4; s.nWidth = 8; s.nHeight = 1;
                   s.aPalette.assign(16, 0xFFFFFF); s.aBits.assign(4, 0x12);
                   return s;
               }, 12, 16, 60, 4},
    LayoutCase{"bare_bitfields_masks_then_table", [] {
                   BmpRecipe s;
                   s.bFile = false; s.nBitCount = 16; s.nCompression = kDibBitFields; s.nClrUsed = 2;
                   s.aMasks = {0xF800, 0x07E0, 0x001F}; s.aPalette = {1, 2}; s.aBits.assign(4, 0);
                   return s;
               }, 52, 0, 60, 4},
    LayoutCase{"oversized_table_reaches_256", [] { return Paletted8(4, 1, 300); }, 54, 256, 54 + 1200, 4},
    LayoutCase{"truecolour_table_is_skipped", [] {
                   BmpRecipe s;
                   s.bFile = false; s.nBitCount = 24; s.nClrUsed = 2; s.aPalette = {1, 2}; s.aBits.assign(4, 0);
                   return s;
               }, 40, 0, 48, 4},
    LayoutCase{"rle_stream_shortened_by_image_size", [] {
                   auto s = Paletted8(4, 2, 2); s.nCompression = kDibRle8; s.nSizeImage = 4;
                   s.aBits = {4, 1, 0, 1, 9, 9, 9, 9}; return s;
               }, 54, 2, 62, 4},
    LayoutCase{"rle_stream_not_lengthened_by_image_size", [] {
                   auto s = Paletted8(4, 2, 2); s.nCompression = kDibRle8; s.nSizeImage = 4000;
                   s.aBits = {4, 1, 0, 1}; return s;
               }, 54, 2, 62, 4},
    LayoutCase{"uncompressed_ignores_image_size", [] {
                   auto s = Paletted8(4, 2, 2); s.nSizeImage = 0x7FFFFFFF; return s;
               }, 54, 2, 62, 8}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.pszName); });

struct RefusalCase {
    const char* pszName;
    std::function<std::vector<uint8_t>()> fnBytes;
    DibResult eExpected;
};

void PrintTo(const RefusalCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(DibRefusalTest, RefusesWithTheRightMessage) {
    const RefusalCase& item = GetParam();
    const CExactBuffer buffer(item.fnBytes());
    DibLayout layout;
    EXPECT_EQ(ParseDib(buffer.Data(), buffer.Size(), layout), item.eExpected);
    DibResult eResult = DibResult::kOk;
    EXPECT_EQ(DecodeDib(buffer.Data(), buffer.Size(), eResult), nullptr);
    EXPECT_EQ(eResult, item.eExpected);
}

std::function<std::vector<uint8_t>()> Bytes(std::function<void(BmpRecipe&)> fnChange) {
    return [fnChange] {
        BmpRecipe recipe = Paletted8(4, 2, 2);
        fnChange(recipe);
        return recipe.Bytes();
    };
}

const DibResult kLie = DibResult::kConversionError;

INSTANTIATE_TEST_SUITE_P(dib, DibRefusalTest, testing::Values(
    RefusalCase{"empty_buffer", [] { return std::vector<uint8_t>(); }, kLie},
    RefusalCase{"magic_only", [] { return std::vector<uint8_t>{'B', 'M'}; }, kLie},
    RefusalCase{"file_header_cut_before_dib_size", [] { auto a = Paletted8(4, 2, 2).Bytes(); a.resize(16); return a; },
                kLie},
    RefusalCase{"info_header_cut", [] { auto a = Paletted8(4, 2, 2).Bytes(); a.resize(40); return a; }, kLie},
    RefusalCase{"bare_size_cut", [] { return std::vector<uint8_t>{40, 0, 0}; }, kLie},
    RefusalCase{"v4_header", Bytes([](BmpRecipe& s) { s.nHeaderSize = 108; }), DibResult::kUnknownFormat},
    RefusalCase{"os2_v2_header", Bytes([](BmpRecipe& s) { s.nHeaderSize = 64; }), DibResult::kUnknownFormat},
    RefusalCase{"zero_header_size", Bytes([](BmpRecipe& s) { s.nHeaderSize = 0; }), DibResult::kUnknownFormat},
    RefusalCase{"two_planes", Bytes([](BmpRecipe& s) { s.nPlanes = 2; }), kLie},
    RefusalCase{"two_bits", Bytes([](BmpRecipe& s) { s.nBitCount = 2; }), kLie},
    RefusalCase{"sixty_four_bits", Bytes([](BmpRecipe& s) { s.nBitCount = 64; }), kLie},
    RefusalCase{"zero_width", Bytes([](BmpRecipe& s) { s.nWidth = 0; }), kLie},
    RefusalCase{"negative_width", Bytes([](BmpRecipe& s) { s.nWidth = -4; }), kLie},
    RefusalCase{"zero_height", Bytes([](BmpRecipe& s) { s.nHeight = 0; }), kLie},
    RefusalCase{"most_negative_height", Bytes([](BmpRecipe& s) { s.nHeight = INT32_MIN; }), kLie},
    RefusalCase{"jpeg_compression", Bytes([](BmpRecipe& s) { s.nCompression = 4; }), kLie},
    RefusalCase{"rle8_at_4_bits", Bytes([](BmpRecipe& s) { s.nCompression = kDibRle8; s.nBitCount = 4; }), kLie},
    RefusalCase{"rle4_at_8_bits", Bytes([](BmpRecipe& s) { s.nCompression = kDibRle4; }), kLie},
    RefusalCase{"bitfields_at_24_bits", Bytes([](BmpRecipe& s) {
                    s.nCompression = kDibBitFields; s.nBitCount = 24; s.aMasks = {0xFF0000, 0xFF00, 0xFF}; }), kLie},
    RefusalCase{"bitfields_masks_cut", [] {
                    BmpRecipe s; s.bFile = false; s.nBitCount = 16; s.nCompression = kDibBitFields;
                    s.aMasks = {0xF800, 0x07E0}; return s.Bytes(); }, kLie},
    RefusalCase{"bitfields_colour_without_bits", Bytes([](BmpRecipe& s) {
                    s.nCompression = kDibBitFields; s.nBitCount = 16; s.aMasks = {0xFF00, 0x00FF, 0}; }), kLie},
    RefusalCase{"top_down_rle", Bytes([](BmpRecipe& s) {
                    s.nCompression = kDibRle8; s.nHeight = -2; s.aBits = {0, 1}; }), kLie},
    RefusalCase{"colours_used_past_the_end", Bytes([](BmpRecipe& s) { s.nClrUsed = 1000; }), kLie},
    RefusalCase{"colours_used_beyond_sixteen_bits", Bytes([](BmpRecipe& s) { s.nClrUsed = 0x10002; }), kLie},
    RefusalCase{"pixel_offset_past_the_end", Bytes([](BmpRecipe& s) { s.nOffBitsOverride = 0x7FFFFFF0; }), kLie},
    RefusalCase{"pixel_offset_inside_the_header", Bytes([](BmpRecipe& s) { s.nOffBitsOverride = 20; }), kLie},
    RefusalCase{"pixels_one_byte_short", Bytes([](BmpRecipe& s) { s.aBits.pop_back(); }), kLie},
    RefusalCase{"pixel_offset_leaves_rows_short", Bytes([](BmpRecipe& s) { s.nOffBitsOverride = 63; }), kLie},
    RefusalCase{"huge_rle_picture", Bytes([](BmpRecipe& s) {
                    s.nCompression = kDibRle8; s.nWidth = 30000; s.nHeight = 30000; s.aBits = {0, 1}; }), kLie},
    RefusalCase{"huge_core_picture_without_pixels", [] {
                    BmpRecipe s; s.nHeaderSize = 12; s.nWidth = 65535; s.nHeight = 65535; return s.Bytes(); }, kLie}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.pszName); });

struct TruncationCase {
    const char* pszName;
    std::function<BmpRecipe()> fnRecipe;
};

void PrintTo(const TruncationCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class DibTruncationTest : public testing::TestWithParam<TruncationCase> {};

// Every prefix of a good file: an uncompressed one is refused until it is whole; a run-length one
// decodes as soon as its stream starts, from the bytes that are there.
TEST_P(DibTruncationTest, EveryPrefixIsRefusedOrDecodedWithinItsBytes) {
    const std::vector<uint8_t> aWhole = GetParam().fnRecipe().Bytes();
    DibLayout whole;
    ASSERT_EQ(ParseDib(aWhole.data(), aWhole.size(), whole), DibResult::kOk);
    const bool bRle = whole.header.nCompression == kDibRle8 || whole.header.nCompression == kDibRle4;
    for (size_t nLength = 0; nLength < aWhole.size(); ++nLength) {
        SCOPED_TRACE("first " + std::to_string(nLength) + " of " + std::to_string(aWhole.size()) + " bytes");
        const CExactBuffer buffer(aWhole, nLength);
        DibResult eResult = DibResult::kOk;
        RgbImage* pImage = DecodeDib(buffer.Data(), buffer.Size(), eResult);
        if (bRle && nLength >= whole.nBitsOffset) {
            EXPECT_NE(pImage, nullptr);
        } else {
            EXPECT_EQ(pImage, nullptr);
            EXPECT_NE(eResult, DibResult::kOk);
        }
        FreeRgbImage(pImage);
    }
}

INSTANTIATE_TEST_SUITE_P(dib, DibTruncationTest, testing::Values(
    TruncationCase{"paletted_file", [] { return Paletted8(5, 3, 4); }},
    TruncationCase{"paletted_bare", [] { auto s = Paletted8(5, 3, 4); s.bFile = false; return s; }},
    TruncationCase{"core_file", [] {
        BmpRecipe s; s.nHeaderSize = 12; s.nBitCount = 1; s.nWidth = 9; s.nHeight = 2;
        s.aPalette = {0, 0xFFFFFF}; s.aBits.assign(8, 0xA5); return s; }},
    TruncationCase{"bitfields_bare", [] {
        BmpRecipe s; s.bFile = false; s.nBitCount = 32; s.nCompression = kDibBitFields; s.nWidth = 2;
        s.aMasks = {0xFF, 0xFF00, 0xFF0000}; s.aBits.assign(8, 0x7F); return s; }},
    TruncationCase{"rle8_file", [] {
        auto s = Paletted8(4, 2, 2); s.nCompression = kDibRle8;
        s.aBits = {2, 1, 0, 3, 1, 0, 1, 0, 0, 0, 4, 1, 0, 1}; return s; }},
    TruncationCase{"rle4_bare", [] {
        BmpRecipe s; s.bFile = false; s.nBitCount = 4; s.nCompression = kDibRle4; s.nWidth = 6; s.nHeight = 2;
        s.aPalette.assign(16, 0x808080); s.aBits = {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 2, 1, 1, 3, 0x21, 0, 1};
        return s; }}),
    [](const testing::TestParamInfo<TruncationCase>& info) { return std::string(info.param.pszName); });

}  // namespace
