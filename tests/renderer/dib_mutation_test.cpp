// Hostile pictures: every header field of the corpus's good files overwritten with boundary values, and
// seeded random byte damage. Each damaged file is refused or decoded inside its own bytes (the ASan
// build of these tests turns any read past the exact-size buffer into a failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "renderer/dib_decode.h"
#include "renderer/dib_header.h"
#include "tests/renderer/dib_test_support.h"

namespace {

const std::string kSuite = VANTOREL_BMPSUITE_DIR;

const char* const kSeeds[] = {
    "g/pal1.bmp",  "g/pal4.bmp",    "g/pal4rle.bmp",     "g/pal8.bmp",  "g/pal8os2.bmp",
    "g/pal8rle.bmp", "g/pal8topdown.bmp", "g/rgb16-565.bmp", "g/rgb24.bmp", "g/rgb32bf.bmp",
};

// Decodes a damaged copy; the outcome must be a clean refusal or a picture of the size its layout says.
void ExpectSafe(const std::vector<uint8_t>& aBytes) {
    const dibtest::CExactBuffer buffer(aBytes);
    DibResult eResult = DibResult::kOk;
    RgbImage* pImage = DecodeDib(buffer.Data(), aBytes.size(), eResult);
    if (!pImage) {
        EXPECT_NE(eResult, DibResult::kOk);
        EXPECT_NE(DibResultMessage(eResult), nullptr);
        return;
    }
    DibLayout layout;
    ASSERT_EQ(ParseDib(buffer.Data(), aBytes.size(), layout), DibResult::kOk);
    EXPECT_EQ(pImage->nWidth, layout.nWidth);
    EXPECT_GT(pImage->nWidth, 0);
    EXPECT_LE(3ull * pImage->nWidth * layout.nRows, kDibMaxRgbBytes);
    FreeRgbImage(pImage);
}

class DibDamage : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        aOriginal = dibtest::ReadBytes(kSuite + "/" + GetParam());
        ASSERT_GT(aOriginal.size(), 54u) << GetParam();
    }
    std::vector<uint8_t> aOriginal;
};

TEST_P(DibDamage, BoundaryValuesInEveryHeaderFieldAreHandledSafely) {
    // Each 32-bit slot of the file and info headers, and of the colour masks behind them.
    const uint32_t aValues[] = {0u, 1u, 2u, 0x7FFFu, 0x8000u, 0xFFFFu, 0x10000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    for (size_t nAt = 0; nAt + 4 <= 66 && nAt + 4 <= aOriginal.size(); nAt += 2) {
        for (uint32_t nValue : aValues) {
            SCOPED_TRACE(testing::Message() << GetParam() << " offset " << nAt << " = " << nValue);
            std::vector<uint8_t> a = aOriginal;
            dibtest::PutU32(a, nAt, nValue);
            ExpectSafe(a);
        }
    }
}

TEST_P(DibDamage, RandomByteDamageAndCutsAreHandledSafely) {
    uint32_t nState = 0x9E3779B9u ^ static_cast<uint32_t>(aOriginal.size());
    auto Next = [&nState] {
        nState ^= nState << 13;
        nState ^= nState >> 17;
        nState ^= nState << 5;
        return nState;
    };
    for (int nRound = 0; nRound < 300; ++nRound) {
        std::vector<uint8_t> a = aOriginal;
        const int nHits = 1 + static_cast<int>(Next() % 8);
        for (int k = 0; k < nHits; ++k) {
            // Most damage lands in the headers and the colour table, where it changes what is read.
            const size_t nSpan = Next() % 4 == 0 ? a.size() : std::min<size_t>(a.size(), 1100);
            a[Next() % nSpan] = static_cast<uint8_t>(Next());
        }
        if (Next() % 3 == 0) a.resize(Next() % a.size() + 1);
        SCOPED_TRACE(testing::Message() << GetParam() << " round " << nRound);
        ExpectSafe(a);
    }
}

INSTANTIATE_TEST_SUITE_P(bmpsuite_good, DibDamage, testing::ValuesIn(kSeeds),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string s = info.param;
                             for (char& c : s)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return s;
                         });

}  // namespace
