// The cyclic picture shift behind the scrolling textures, without GL.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "renderer/scroll_frames.h"

namespace {

// A picture whose every pixel says where it started: bytes (x, y, tag).
std::vector<uint8_t> Labelled(int nWidth, int nHeight) {
    std::vector<uint8_t> a;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            a.push_back(static_cast<uint8_t>(x));
            a.push_back(static_cast<uint8_t>(y));
            a.push_back(static_cast<uint8_t>(0xA0 + (x + y) % 16));
        }
    return a;
}

int Mod(int n, int m) { return ((n % m) + m) % m; }

struct ShiftCase {
    const char* pszName;
    int nWidth, nHeight, nDx, nDy;
};

void PrintTo(const ShiftCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class ScrollFramesShift : public testing::TestWithParam<ShiftCase> {};

// After the shift the pixel at (x, y) is the one that started at (x - dx, y - dy), wrapping around.
TEST_P(ScrollFramesShift, MovesEveryPixelByTheStepWithWrapAround) {
    const ShiftCase& item = GetParam();
    const std::vector<uint8_t> aStart = Labelled(item.nWidth, item.nHeight);
    std::vector<uint8_t> aPixels = aStart;
    ShiftPictureCyclic(aPixels.data(), item.nWidth, item.nHeight, 3, item.nDx, item.nDy);
    for (int y = 0; y < item.nHeight; ++y)
        for (int x = 0; x < item.nWidth; ++x) {
            const int nFromX = Mod(x - item.nDx, item.nWidth);
            const int nFromY = Mod(y - item.nDy, item.nHeight);
            const size_t nAt = (static_cast<size_t>(y) * item.nWidth + x) * 3;
            const size_t nFrom = (static_cast<size_t>(nFromY) * item.nWidth + nFromX) * 3;
            ASSERT_EQ(std::vector<uint8_t>(aPixels.begin() + nAt, aPixels.begin() + nAt + 3),
                      std::vector<uint8_t>(aStart.begin() + nFrom, aStart.begin() + nFrom + 3))
                << "at column " << x << ", row " << y;
        }
}

// The copy from a padded source gives the same pixels as the shift in place, and touches no padding.
TEST_P(ScrollFramesShift, CopyFromPaddedRowsMatchesTheShiftInPlace) {
    const ShiftCase& item = GetParam();
    const std::vector<uint8_t> aStart = Labelled(item.nWidth, item.nHeight);
    std::vector<uint8_t> aShifted = aStart;
    ShiftPictureCyclic(aShifted.data(), item.nWidth, item.nHeight, 3, item.nDx, item.nDy);
    const size_t nRow = static_cast<size_t>(item.nWidth) * 3;
    const size_t nStride = nRow + 5;
    std::vector<uint8_t> aPadded(nStride * item.nHeight, 0xEE);
    for (int y = 0; y < item.nHeight; ++y)
        std::copy(aStart.begin() + nRow * y, aStart.begin() + nRow * (y + 1), aPadded.begin() + nStride * y);
    std::vector<uint8_t> aCopy(aStart.size() + 1, 0x77);
    CopyPictureShifted(aPadded.data(), nStride, aCopy.data(), item.nWidth, item.nHeight, 3, item.nDx, item.nDy);
    EXPECT_EQ(aCopy.back(), 0x77) << "wrote past the frame";
    aCopy.pop_back();
    EXPECT_EQ(aCopy, aShifted);
}

INSTANTIATE_TEST_SUITE_P(Steps, ScrollFramesShift, testing::Values(
    ShiftCase{"one_right_one_up", 5, 4, 1, 1},
    ShiftCase{"one_left_one_down", 5, 4, -1, -1},
    ShiftCase{"columns_only", 6, 3, 2, 0},
    ShiftCase{"rows_only", 3, 6, 0, -2},
    ShiftCase{"step_longer_than_the_side", 4, 3, 9, -7},
    ShiftCase{"full_turn_is_identity", 4, 3, 4, -3},
    ShiftCase{"single_pixel", 1, 1, 5, -5},
    ShiftCase{"single_row", 7, 1, -3, 1}),
    [](const testing::TestParamInfo<ShiftCase>& info) { return std::string(info.param.pszName); });

// The spelled-out 3 x 2 case: a right shift brings the last column to the front, an up shift brings the
// last row (in buffer order) to row 0.
TEST(ScrollFrames, ThreeByTwoExample) {
    std::vector<uint8_t> aPixels = {1, 2, 3,  // row 0
                                    4, 5, 6};  // row 1
    ShiftPictureCyclic(aPixels.data(), 3, 2, 1, 1, 1);
    EXPECT_EQ(aPixels, (std::vector<uint8_t>{6, 4, 5, 3, 1, 2}));
    ShiftPictureCyclic(aPixels.data(), 3, 2, 1, -1, -1);
    EXPECT_EQ(aPixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(ScrollFrames, RepeatedUnitStepsCycleBackToThePicture) {
    const std::vector<uint8_t> aStart = Labelled(8, 8);
    std::vector<uint8_t> aPixels = aStart;
    for (int k = 0; k < 8; ++k) {
        ShiftPictureCyclic(aPixels.data(), 8, 8, 3, 1, 1);
        EXPECT_EQ(aPixels == aStart, k == 7) << "after " << k + 1 << " steps";
    }
}

}  // namespace
