// The GDI ReadDibFile under Wine, against the BMP suite and against the portable decoder: both readers
// must give the same rows for every file both accept, and refuse the same files. Where Wine's GDI
// converts differently from Windows (and from the suite's oracle rows), the file is listed below as a
// known difference of Wine's; the portable decoder keeps following the oracle.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/dib_decode.h"
#include "renderer/textures.h"
#include "tests/renderer/dib_test_support.h"

namespace {

using dibtest::BmpRecipe;

const std::string kSuite = VANTOREL_BMPSUITE_DIR_DOS;

// Files Wine 8.0's GDI converts differently from the suite's oracle (and from the portable decoder):
// it widens 16-bit colour fields by repeating their bits once instead of scaling them to 0..255, so
// 5-bit 3 becomes 24, not 25, and narrower fields fall further short. The largest difference of any
// channel from the portable decoder keeps the listed cases honest.
struct WineDifference {
    const char* pszReason;
    int nMaxChannelDifference;
};

const char kReplicated[] = "16-bit fields widened by bit repetition";

const std::map<std::string, WineDifference> kWineDifferences = {
    {"g/rgb16.bmp", {kReplicated, 1}},
    {"bare-dib/g_rgb16.dib", {kReplicated, 1}},
    {"g/rgb16bfdef.bmp", {kReplicated, 1}},
    {"bare-dib/g_rgb16bfdef.dib", {kReplicated, 1}},
    {"q/rgb16faketrns.bmp", {kReplicated, 1}},
    {"bare-dib/q_rgb16faketrns.dib", {kReplicated, 1}},
    {"g/rgb16-565.bmp", {kReplicated, 1}},
    {"bare-dib/g_rgb16-565.dib", {kReplicated, 1}},
    {"g/rgb16-565pal.bmp", {kReplicated, 1}},
    {"bare-dib/g_rgb16-565pal.dib", {kReplicated, 1}},
    {"q/rgb16-231.bmp", {kReplicated, 255}},
    {"bare-dib/q_rgb16-231.dib", {kReplicated, 255}},
    {"q/rgb16-3103.bmp", {kReplicated, 255}},
    {"bare-dib/q_rgb16-3103.dib", {kReplicated, 255}},
};

struct GdiCase {
    std::string sFile;      // suite-relative with forward slashes
    std::string sExpect;
    std::string sExpected;  // oracle rows, suite-relative; empty when none
};

void PrintTo(const GdiCase& item, std::ostream* pStream) { *pStream << item.sFile; }

std::string DosPath(const std::string& sRelative) {
    std::string s = kSuite + "\\" + sRelative;
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::vector<GdiCase> LoadIndex() {
    std::vector<GdiCase> aCases;
    std::ifstream index(DosPath("INDEX.tsv"));
    auto Split = [](const std::string& s) {
        std::vector<std::string> a;
        std::stringstream stream(s);
        std::string sField;
        while (std::getline(stream, sField, '\t')) a.push_back(sField);
        return a;
    };
    std::string sLine;
    if (!std::getline(index, sLine)) return aCases;
    const std::vector<std::string> aColumns = Split(sLine);
    auto Column = [&](const std::vector<std::string>& aRow, const char* pszName) -> std::string {
        for (size_t i = 0; i < aColumns.size() && i < aRow.size(); ++i)
            if (aColumns[i] == pszName) return aRow[i];
        return "";
    };
    while (std::getline(index, sLine)) {
        if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();
        const std::vector<std::string> aRow = Split(sLine);
        GdiCase item;
        item.sFile = Column(aRow, "file");
        if (item.sFile.empty()) continue;
        item.sExpect = Column(aRow, "expect");
        const size_t nSlash = item.sFile.find('/');
        const std::string sBase = item.sFile.substr(nSlash + 1, item.sFile.rfind('.') - nSlash - 1);
        if (Column(aRow, "dir") != "b" && std::ifstream(DosPath("expected-rgb24/" + sBase + ".rgb")))
            item.sExpected = "expected-rgb24/" + sBase + ".rgb";
        aCases.push_back(item);
        const std::string sBare = Column(aRow, "bare_dib_copy");
        if (!sBare.empty()) {
            GdiCase bare = item;
            bare.sFile = sBare;
            aCases.push_back(bare);
        }
    }
    return aCases;
}

// The reader shows its messages on standard error instead of a box nobody could close.
class DibGdi : public testing::Test {
protected:
    static void SetUpTestSuite() { SetEnvironmentVariableA("VANTOREL_READER_MESSAGES", "stderr"); }
};

struct ReadResult {
    RgbImage* pGdi = nullptr;
    std::string sGdiMessage;
    RgbImage* pPortable = nullptr;
    DibResult ePortable = DibResult::kOk;
};

ReadResult ReadBoth(const std::string& sPath) {
    ReadResult result;
    testing::internal::CaptureStderr();
    result.pGdi = ReadDibFile(sPath.c_str());
    result.sGdiMessage = testing::internal::GetCapturedStderr();
    const std::vector<uint8_t> aBytes = dibtest::ReadBytes(sPath);
    result.pPortable = DecodeDib(aBytes.data(), aBytes.size(), result.ePortable);
    return result;
}

std::vector<uint8_t> Pixels(const RgbImage* pImage) {
    const size_t nBytes = static_cast<size_t>(pImage->nWidth) * std::abs(pImage->nHeight) * 3;
    return std::vector<uint8_t>(pImage->pData, pImage->pData + nBytes);
}

int MaxChannelDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int nMax = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) nMax = std::max(nMax, std::abs(int(a[i]) - int(b[i])));
    return nMax;
}

// How many bytes differ, and where the first one is.
std::string Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    size_t nCount = 0, nFirst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && nCount++ == 0) nFirst = i;
    if (!nCount) return "";
    return std::to_string(nCount) + " bytes differ, first at byte " + std::to_string(nFirst) + ": " +
           std::to_string(a[nFirst]) + " instead of " + std::to_string(b[nFirst]);
}

class DibGdiCorpus : public DibGdi, public testing::WithParamInterface<GdiCase> {};

TEST_P(DibGdiCorpus, AgreesWithThePortableDecoder) {
    const GdiCase& item = GetParam();
    SCOPED_TRACE(item.sFile + " (" + item.sExpect + ")");
    const ReadResult result = ReadBoth(DosPath(item.sFile));
    const auto itKnown = kWineDifferences.find(item.sFile);
    const bool bKnown = itKnown != kWineDifferences.end();

    if (item.sExpect == "DECODE" || item.sExpect == "DECODE-BF") {
        EXPECT_NE(result.pGdi, nullptr) << result.sGdiMessage;
    }
    if (item.sExpect == "REJECT") {
        EXPECT_EQ(result.pGdi, nullptr);
    }
    EXPECT_EQ(result.pGdi != nullptr, result.pPortable != nullptr) << "one reader accepts what the other refuses";
    if (!result.pGdi) {
        // Refused by both: the same message; refused by GDI alone: its conversion failed.
        const DibResult eExpected = result.pPortable ? DibResult::kConversionError : result.ePortable;
        EXPECT_EQ(result.sGdiMessage, std::string("Error: ") + DibResultMessage(eExpected) + "\n");
    } else {
        EXPECT_EQ(result.sGdiMessage, "");
    }
    if (result.pGdi && result.pPortable) {
        EXPECT_EQ(result.pGdi->nWidth, result.pPortable->nWidth);
        EXPECT_EQ(result.pGdi->nHeight, result.pPortable->nHeight);
        const std::vector<uint8_t> aGdi = Pixels(result.pGdi);
        const std::vector<uint8_t> aPortable = Pixels(result.pPortable);
        const std::string sDiff = Difference(aGdi, aPortable);
        if (bKnown) {
            EXPECT_NE(sDiff, "") << "listed as a Wine difference (" << itKnown->second.pszReason
                                 << ") but the readers now agree: drop it from the list";
            EXPECT_LE(MaxChannelDifference(aGdi, aPortable), itKnown->second.nMaxChannelDifference) << sDiff;
        } else {
            EXPECT_EQ(sDiff, "") << "GDI against the portable decoder";
            if (!item.sExpected.empty()) {
                EXPECT_EQ(Difference(aGdi, dibtest::ReadBytes(DosPath(item.sExpected))), "")
                    << "GDI against the oracle rows";
            }
        }
    }
    FreeRgbImage(result.pGdi);
    FreeRgbImage(result.pPortable);
}

INSTANTIATE_TEST_SUITE_P(bmpsuite_dib, DibGdiCorpus, testing::ValuesIn(LoadIndex()),
                         [](const testing::TestParamInfo<GdiCase>& info) {
                             std::string s = info.param.sFile;
                             for (char& c : s)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return s;
                         });

TEST_F(DibGdi, IndexListsTheWholeSuite) { EXPECT_EQ(LoadIndex().size(), 91u + 41u); }

// ------------------------------------------------------------------------------------------------

std::string TempFile(const char* pszName) {
    char szFolder[MAX_PATH] = "";
    GetTempPathA(sizeof szFolder, szFolder);
    return std::string(szFolder) + "vantorel_dib_gdi_" + std::to_string(GetCurrentProcessId()) + "_" +
           pszName + ".bmp";
}

struct MadeCase {
    const char* pszName;
    std::vector<uint8_t> (*pfnBytes)();
    bool bDecodes;
};

void PrintTo(const MadeCase& item, std::ostream* pStream) { *pStream << item.pszName; }


BmpRecipe Paletted(BmpRecipe recipe, uint32_t nCompression) {
    recipe.aPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    recipe.nClrUsed = 4;
    recipe.nCompression = nCompression;
    return recipe;
}

class DibGdiMade : public DibGdi, public testing::WithParamInterface<MadeCase> {};

// Pictures made for one rule each, where the suite has no file: the readers agree on all of them, and a
// file that is short or lies is refused before GDI could read past the mapped view.
TEST_P(DibGdiMade, AgreesWithThePortableDecoder) {
    const MadeCase& item = GetParam();
    const std::string sPath = TempFile(item.pszName);
    ASSERT_TRUE(dibtest::WriteBytes(sPath, item.pfnBytes()));
    const ReadResult result = ReadBoth(sPath);
    DeleteFileA(sPath.c_str());
    EXPECT_EQ(result.pGdi != nullptr, item.bDecodes) << result.sGdiMessage;
    EXPECT_EQ(result.pPortable != nullptr, item.bDecodes);
    if (result.pGdi && result.pPortable) {
        EXPECT_EQ(result.pGdi->nHeight, result.pPortable->nHeight);
        EXPECT_EQ(Difference(Pixels(result.pGdi), Pixels(result.pPortable)), "");
    }
    if (!item.bDecodes && !result.pPortable) {
        EXPECT_EQ(result.sGdiMessage, std::string("Error: ") + DibResultMessage(result.ePortable) + "\n");
    }
    FreeRgbImage(result.pGdi);
    FreeRgbImage(result.pPortable);
}

INSTANTIATE_TEST_SUITE_P(dib, DibGdiMade, testing::Values(
    MadeCase{"top_down_24", [] { return dibtest::MadePicture(3, -2, 24, std::vector<uint8_t>(24, 0x40)).Bytes(); }, true},
    MadeCase{"rgb32_junk_high_byte", [] { return dibtest::MadePicture(2, 1, 32, {1, 2, 3, 0xFF, 4, 5, 6, 0x80}).Bytes(); }, true},
    MadeCase{"bitfields_32_odd_order", [] {
        BmpRecipe s = dibtest::MadePicture(1, 1, 32, {0x44, 0x33, 0x22, 0x11});
        s.nCompression = kDibBitFields;
        s.aMasks = {0x0000FF00, 0xFF000000, 0x00FF0000};
        return s.Bytes(); }, true},
    MadeCase{"index_past_palette", [] { return Paletted(dibtest::MadePicture(3, 1, 8, {3, 4, 200, 0}), kDibRgb).Bytes(); }, true},
    MadeCase{"core_header_bare", [] {
        BmpRecipe s = dibtest::MadePicture(2, 2, 8, {1, 0, 0, 0, 0, 1, 0, 0});
        s.nHeaderSize = 12;
        s.bFile = false;
        s.aPalette.assign(256, 0x123456);
        s.aPalette[1] = 0xABCDEF;
        return s.Bytes(); }, true},
    MadeCase{"rle8_delta_and_clip", [] {
        return Paletted(dibtest::MadePicture(5, 3, 8, {9, 1, 0, 0, 0, 2, 1, 1, 0, 3, 0, 2, 3, 0, 0, 1}), kDibRle8).Bytes(); }, true},
    MadeCase{"rle4_absolute_padded", [] {
        return Paletted(dibtest::MadePicture(6, 1, 4, {0, 5, 0x30, 0x12, 0x00, 0x77, 1, 0x20, 0, 1}), kDibRle4).Bytes(); }, true},
    MadeCase{"pixels_one_byte_short", [] {
        std::vector<uint8_t> a = dibtest::MadePicture(64, 64, 24, std::vector<uint8_t>(64 * 64 * 3, 7)).Bytes();
        a.pop_back();
        return a; }, false},
    MadeCase{"palette_past_the_end", [] {
        BmpRecipe s = Paletted(dibtest::MadePicture(4, 1, 8, {0, 1, 2, 3}), kDibRgb);
        s.nClrUsed = 60000;
        return s.Bytes(); }, false},
    MadeCase{"v4_header", [] { BmpRecipe s = dibtest::MadePicture(1, 1, 24, {0, 0, 0, 0}); s.nHeaderSize = 108; return s.Bytes(); },
             false}),
    [](const testing::TestParamInfo<MadeCase>& info) { return std::string(info.param.pszName); });

TEST_F(DibGdi, FileThatCannotBeMappedShowsTheOpenFailure) {
    for (bool bCreate : {false, true}) {
        SCOPED_TRACE(bCreate ? "empty file" : "missing file");
        const std::string sPath = TempFile(bCreate ? "empty" : "missing");
        DeleteFileA(sPath.c_str());
        if (bCreate) {
            ASSERT_TRUE(dibtest::WriteBytes(sPath, {}));
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadDibFile(sPath.c_str()), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Failed to open DIB file " + sPath + ".\n\n");
        DeleteFileA(sPath.c_str());
    }
}

}  // namespace
