// ReadDibFile against the BMP suite: every file the index marks as decodable comes out exactly as the
// oracle rows, as a file and as a bare DIB; every other file is refused with a message or decoded to its
// stated size, and none of them crashes or reads past its bytes (this test also runs under ASan).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/textures.h"
#include "tests/renderer/dib_test_support.h"

namespace {

const std::string kSuite = VANTOREL_BMPSUITE_DIR;

enum class Outcome { kMustDecode, kMustRefuse, kEither };

struct CorpusCase {
    std::string sFile;      // relative to the suite, e.g. "g/pal8.bmp" or "bare-dib/g_pal8.dib"
    std::string sExpect;    // the index's verdict
    std::string sExpected;  // oracle rows, relative; empty when the suite has none
    int nWidth = 0;
    int nHeight = 0;
    Outcome eOutcome = Outcome::kEither;
};

// Failures name the file, not the bytes of the record.
void PrintTo(const CorpusCase& item, std::ostream* pStream) { *pStream << item.sFile; }

Outcome OutcomeOf(const std::string& sExpect) {
    if (sExpect == "DECODE" || sExpect == "DECODE-BF") return Outcome::kMustDecode;
    if (sExpect == "REJECT") return Outcome::kMustRefuse;
    return Outcome::kEither;
}

// The two files whose more-than-8-bit fields the suite's own reference rounds differently.
int ToleranceFor(const std::string& sExpected) {
    static const std::map<std::string, int> kTolerance = {{"expected-rgb24/rgb16-3103.rgb", 1},
                                                          {"expected-rgb24/rgb32-111110.rgb", 1}};
    auto it = kTolerance.find(sExpected);
    return it == kTolerance.end() ? 0 : it->second;
}

std::vector<CorpusCase> LoadIndex() {
    std::vector<CorpusCase> aCases;
    std::ifstream index(kSuite + "/INDEX.tsv");
    std::string sLine;
    std::vector<std::string> aColumns;
    auto Split = [](const std::string& s) {
        std::vector<std::string> a;
        std::stringstream stream(s);
        std::string sField;
        while (std::getline(stream, sField, '\t')) a.push_back(sField);
        if (!s.empty() && s.back() == '\t') a.push_back("");
        return a;
    };
    if (!std::getline(index, sLine)) return aCases;
    aColumns = Split(sLine);
    auto Column = [&](const std::vector<std::string>& aRow, const char* pszName) -> std::string {
        for (size_t i = 0; i < aColumns.size() && i < aRow.size(); ++i)
            if (aColumns[i] == pszName) return aRow[i];
        return "";
    };
    while (std::getline(index, sLine)) {
        const std::vector<std::string> aRow = Split(sLine);
        CorpusCase item;
        item.sFile = Column(aRow, "file");
        if (item.sFile.empty()) continue;
        item.sExpect = Column(aRow, "expect");
        item.eOutcome = OutcomeOf(item.sExpect);
        item.nWidth = std::atoi(Column(aRow, "width").c_str());
        item.nHeight = std::atoi(Column(aRow, "height").c_str());
        const std::string sDir = Column(aRow, "dir");
        const size_t nSlash = item.sFile.find('/');
        const std::string sBase = item.sFile.substr(nSlash + 1, item.sFile.rfind('.') - nSlash - 1);
        if (sDir != "b") {
            const std::string sExpected = "expected-rgb24/" + sBase + ".rgb";
            if (std::ifstream(kSuite + "/" + sExpected)) item.sExpected = sExpected;
        }
        aCases.push_back(item);
        const std::string sBare = Column(aRow, "bare_dib_copy");
        if (!sBare.empty()) {
            CorpusCase bare = item;
            bare.sFile = sBare;
            aCases.push_back(bare);
        }
    }
    return aCases;
}

std::string CaseName(const testing::TestParamInfo<CorpusCase>& info) {
    std::string sName = info.param.sFile;
    for (char& c : sName)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return sName;
}

bool IsReaderMessage(const std::string& sText) {
    for (const char* pszMessage : {"Image file conversion error.", "Unknown DIB file format.", "Out of memory."})
        if (sText == std::string("Error: ") + pszMessage + "\n") return true;
    return false;
}

class DibCorpus : public testing::TestWithParam<CorpusCase> {};

TEST_P(DibCorpus, DecodesAsIndexedOrRefusesCleanly) {
    const CorpusCase& item = GetParam();
    SCOPED_TRACE(item.sFile + " (" + item.sExpect + ")");
    const std::string sPath = kSuite + "/" + item.sFile;
    ASSERT_TRUE(std::ifstream(sPath)) << "corpus file missing: " << sPath;

    testing::internal::CaptureStderr();
    RgbImage* pImage = ReadDibFile(sPath.c_str());
    const std::string sMessages = testing::internal::GetCapturedStderr();

    if (!pImage) {
        EXPECT_NE(item.eOutcome, Outcome::kMustDecode) << "refused: " << sMessages;
        EXPECT_TRUE(IsReaderMessage(sMessages)) << "a refusal shows exactly one reader message, got: "
                                                << sMessages;
        return;
    }
    EXPECT_NE(item.eOutcome, Outcome::kMustRefuse);
    EXPECT_EQ(sMessages, "");
    EXPECT_EQ(pImage->nWidth, item.nWidth);
    EXPECT_EQ(pImage->nHeight, item.nHeight);
    const size_t nBytes = static_cast<size_t>(item.nWidth) * std::abs(item.nHeight) * 3;
    if (!item.sExpected.empty() && pImage->nWidth == item.nWidth && pImage->nHeight == item.nHeight) {
        const std::vector<uint8_t> aExpected = dibtest::ReadBytes(kSuite + "/" + item.sExpected);
        ASSERT_EQ(aExpected.size(), nBytes);
        const int nTolerance = ToleranceFor(item.sExpected);
        size_t nDiffering = 0;
        size_t nFirst = 0;
        for (size_t i = 0; i < nBytes; ++i) {
            if (std::abs(int(pImage->pData[i]) - int(aExpected[i])) > nTolerance && nDiffering++ == 0) nFirst = i;
        }
        EXPECT_EQ(nDiffering, 0u) << "first difference at pixel " << nFirst / 3 << " (row "
                                  << nFirst / 3 / item.nWidth << ", column " << nFirst / 3 % item.nWidth
                                  << "), channel " << nFirst % 3 << ": " << int(pImage->pData[nFirst])
                                  << " instead of " << int(aExpected[nFirst]);
    }
    FreeRgbImage(pImage);
}

INSTANTIATE_TEST_SUITE_P(bmpsuite_dib, DibCorpus, testing::ValuesIn(LoadIndex()), CaseName);

// Guards the table itself: a missing or misread index would otherwise leave nothing to test.
TEST(DibCorpusIndex, ListsTheSuiteAndItsOracles) {
    const std::vector<CorpusCase> aCases = LoadIndex();
    size_t nFiles = 0, nBare = 0, nWithOracle = 0;
    for (const CorpusCase& item : aCases) {
        (item.sFile.rfind("bare-dib/", 0) == 0 ? nBare : nFiles)++;
        if (item.eOutcome == Outcome::kMustDecode && !item.sExpected.empty()) ++nWithOracle;
    }
    EXPECT_EQ(nFiles, 91u);
    EXPECT_EQ(nBare, 41u);
    EXPECT_EQ(nWithOracle, 43u + 41u);
}

}  // namespace
