// The headless frame renderer as other tools use it: its command line, its output files, and what
// the real scene shows at chosen moments (golden pictures, the backdrop, the built-in pictures).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/offscreen/png_file.h"
#include "tests/renderer/dib_test_support.h"

namespace {

const std::string kTool = VANTOREL_FRAMES_TOOL;
const std::string kPictures = std::string(VANTOREL_SOURCE_DIR) + "/assets/pictures";
const std::string kGolden = std::string(VANTOREL_SOURCE_DIR) + "/tests/golden";

struct Picture {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> aRgb;  // top row first
};

// Every folder a test makes is removed when the test program ends.
class CTempFolders : public ::testing::Environment {
public:
    std::string Make() {
        char szTemplate[] = "/tmp/vantorel-frames-XXXXXX";
        const char* psz = mkdtemp(szTemplate);
        if (!psz) return "";
        aFolders.push_back(psz);
        return psz;
    }
    void TearDown() override {
        for (const std::string& s : aFolders) std::filesystem::remove_all(s);
        aFolders.clear();
    }

private:
    std::vector<std::string> aFolders;
};

CTempFolders* const pTempFolders =
    static_cast<CTempFolders*>(::testing::AddGlobalTestEnvironment(new CTempFolders));

std::string MakeTempFolder() { return pTempFolders->Make(); }

void CopyFile(const std::string& sFrom, const std::string& sTo) {
    std::ifstream in(sFrom, std::ios::binary);
    std::ofstream out(sTo, std::ios::binary);
    out << in.rdbuf();
}

// A texture folder with the product's pictures; bHave[k] false leaves Nerlo0<k+1>.bmp out.
std::string TextureFolder(bool bHave1, bool bHave2, bool bHave3) {
    const std::string sDir = MakeTempFolder();
    const bool abHave[3] = {bHave1, bHave2, bHave3};
    for (int k = 0; k < 3; ++k)
        if (abHave[k])
            CopyFile(kPictures + "/pic1_" + std::to_string(k + 1) + ".bmp",
                     sDir + "/Nerlo0" + std::to_string(k + 1) + ".bmp");
    return sDir;
}

struct RunResult {
    int nExit = -1;
    std::string sOutput;
};

RunResult RunFrames(const std::string& sArguments) {
    RunResult r;
    const std::string sCommand = "'" + kTool + "' " + sArguments + " 2>&1";
    FILE* p = popen(sCommand.c_str(), "r");
    if (!p) return r;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) r.sOutput.append(buf, n);
    const int nStatus = pclose(p);
    r.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return r;
}

Picture Load(const std::string& sPath) {
    Picture pic;
    EXPECT_TRUE(ReadPngRgb(sPath, pic.nWidth, pic.nHeight, pic.aRgb)) << "cannot read " << sPath;
    return pic;
}

// The 24-bit picture of a BMP file written by the screensaver, top row first.
Picture LoadBmp24(const std::string& sPath) {
    Picture pic;
    std::ifstream in(sPath, std::ios::binary);
    std::vector<uint8_t> a((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (a.size() < 54) return pic;
    pic.nWidth = a[18] | a[19] << 8;
    pic.nHeight = a[22] | a[23] << 8;
    const size_t nStride = (static_cast<size_t>(pic.nWidth) * 3 + 3) & ~size_t(3);
    pic.aRgb.resize(static_cast<size_t>(pic.nWidth) * pic.nHeight * 3);
    for (int y = 0; y < pic.nHeight; ++y)
        for (int x = 0; x < pic.nWidth; ++x) {
            const uint8_t* pSrc = &a[54 + (pic.nHeight - 1 - y) * nStride + x * 3];
            uint8_t* pDst = &pic.aRgb[(static_cast<size_t>(y) * pic.nWidth + x) * 3];
            pDst[0] = pSrc[2];
            pDst[1] = pSrc[1];
            pDst[2] = pSrc[0];
        }
    return pic;
}

struct Difference {
    double dMean = 1e9;
    int nMax = 255;
    double dShareOver16 = 1.0;  // share of channel values differing by more than 16
};

Difference Compare(const Picture& a, const Picture& b) {
    Difference d;
    if (a.nWidth != b.nWidth || a.nHeight != b.nHeight || a.aRgb.size() != b.aRgb.size() || a.aRgb.empty())
        return d;
    double dSum = 0;
    size_t nOver = 0;
    d.nMax = 0;
    for (size_t i = 0; i < a.aRgb.size(); ++i) {
        const int n = std::abs(a.aRgb[i] - b.aRgb[i]);
        dSum += n;
        if (n > d.nMax) d.nMax = n;
        if (n > 16) ++nOver;
    }
    d.dMean = dSum / a.aRgb.size();
    d.dShareOver16 = static_cast<double>(nOver) / a.aRgb.size();
    return d;
}

TEST(FramesTool, WritesOnePngPerTimeNamedByMilliseconds) {
    const std::string sOut = MakeTempFolder();
    const RunResult r = RunFrames("--size 64x48 --out " + sOut + " --time 0 --time 1.25 --time 12.8");
    ASSERT_EQ(r.nExit, 0) << r.sOutput;
    for (const char* pszName : {"frame-0.png", "frame-1250.png", "frame-12800.png"}) {
        SCOPED_TRACE(pszName);
        const Picture pic = Load(sOut + "/" + pszName);
        EXPECT_EQ(pic.nWidth, 64);
        EXPECT_EQ(pic.nHeight, 48);
    }
}

TEST(FramesTool, RefusesBadArgumentsWithAMessageAndNoFrames) {
    const std::string sOut = MakeTempFolder();
    const std::string sTextures = TextureFolder(true, true, true);
    const struct {
        const char* pszWhy;
        std::string sArguments;
    } aCases[] = {
        {"no time", "--out " + sOut},
        {"time not a number", "--out " + sOut + " --time soon"},
        {"negative time", "--out " + sOut + " --time -1"},
        {"time past ten years", "--out " + sOut + " --time 315360001"},
        {"descending times", "--out " + sOut + " --time 2 --time 1"},
        {"size without height", "--out " + sOut + " --size 640 --time 1"},
        {"zero size", "--out " + sOut + " --size 0x10 --time 1"},
        {"missing value", "--out " + sOut + " --time"},
        {"unknown option", "--out " + sOut + " --frames 3 --time 1"},
        {"no output folder", "--out /nonexistent/folder --time 1"},
        {"no texture folder", "--textures /nonexistent/pictures --out " + sOut + " --time 1"},
        {"bench of no frames", "--bench 0"},
        {"bench count not a number", "--bench many"},
        {"bench with times", "--bench 3 --time 1"},
        {"bench without its texture folder", "--bench 3 --textures /nonexistent/pictures"},
        {"unknown layer form", "--out " + sOut + " --layers cached --time 1"},
        {"bench form without a bench", "--bench-form shifted"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszWhy);
        const RunResult r = RunFrames(c.sArguments);
        EXPECT_NE(r.nExit, 0);
        EXPECT_NE(r.sOutput.find("vantorel-frames:"), std::string::npos) << r.sOutput;
        EXPECT_NE(r.sOutput.find("usage:"), std::string::npos) << r.sOutput;
    }
    struct stat st {};
    EXPECT_NE(stat((sOut + "/frame-1000.png").c_str(), &st), 0) << "a refused run wrote a frame";
}

// The bench's figures, one line each: name, median, min, max, unit, with min <= median <= max. Times
// are what this machine gives; only their form and order are checked.
TEST(FramesTool, BenchPrintsEveryFigureAsMedianMinMax) {
    const RunResult r = RunFrames("--bench 3 --size 64x48 --textures " + TextureFolder(true, true, true));
    ASSERT_EQ(r.nExit, 0) << r.sOutput;
    std::map<std::string, std::vector<double>> aFigures;
    std::istringstream lines(r.sOutput);
    std::string sLine;
    while (std::getline(lines, sLine)) {
        std::istringstream fields(sLine);
        std::string sName, sUnit;
        double dMedian = 0, dMin = 0, dMax = 0;
        ASSERT_TRUE(static_cast<bool>(fields >> sName >> dMedian >> dMin >> dMax >> sUnit)) << sLine;
        EXPECT_LE(dMin, dMedian) << sLine;
        EXPECT_LE(dMedian, dMax) << sLine;
        aFigures[sName] = {dMedian, dMin, dMax};
    }
    for (const char* pszName : {"frame", "floor", "frame-1x1", "mesh", "textures", "textures-upload-only",
                                "setup-precomputed", "setup-shifted", "frame/floor", "textures/upload-only",
                                "setup-precomputed/upload-only", "setup-first-precomputed", "setup-first-shifted",
                                "frame-precomputed", "frame-shifted", "resident-peak-precomputed",
                                "resident-peak-shifted", "resident-peak:shifted/precomputed"}) {
        SCOPED_TRACE(pszName);
        ASSERT_EQ(aFigures.count(pszName), 1u) << r.sOutput;
        EXPECT_GT(aFigures[pszName][1], 0.0);
    }
}

// The committed pictures of the timeline (regenerate with scripts/update-golden-frames.sh).
class GoldenFrame : public ::testing::TestWithParam<int> {};

TEST_P(GoldenFrame, MatchesTheCommittedPicture) {
    static std::string sOut;
    if (sOut.empty()) {
        sOut = MakeTempFolder();
        const RunResult r = RunFrames("--textures " + TextureFolder(true, true, true) + " --size 320x240 --out " + sOut +
                                " --time 5 --time 25 --time 45 --time 75");
        ASSERT_EQ(r.nExit, 0) << r.sOutput;
    }
    const std::string sName = "frame-" + std::to_string(GetParam() * 1000) + ".png";
    const Difference d = Compare(Load(sOut + "/" + sName), Load(kGolden + "/" + sName));
    EXPECT_LT(d.dMean, 1.0) << sName;
    EXPECT_LT(d.dShareOver16, 0.005) << sName;
}

INSTANTIATE_TEST_SUITE_P(Timeline, GoldenFrame, ::testing::Values(5, 25, 45, 75),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "at_" + std::to_string(info.param) + "s";
                         });

// At t = 0 the tube is still above the picture, so the frame is the backdrop alone; at 256 x 256
// every pixel centre is a texel centre, so the backdrop is the picture itself.
Picture BackdropWith(const std::string& sTextures) {
    const std::string sOut = MakeTempFolder();
    const RunResult r = RunFrames("--textures " + sTextures + " --size 256x256 --out " + sOut + " --time 0");
    EXPECT_EQ(r.nExit, 0) << r.sOutput;
    return Load(sOut + "/frame-0.png");
}

Picture ShiftedByOne(const Picture& pic) {
    Picture s = pic;
    for (int y = 0; y < pic.nHeight; ++y)
        for (int x = 0; x < pic.nWidth; ++x)
            for (int c = 0; c < 3; ++c)
                s.aRgb[(static_cast<size_t>(y) * pic.nWidth + x) * 3 + c] =
                    pic.aRgb[(static_cast<size_t>((y + 1) % pic.nHeight) * pic.nWidth + (x + 1) % pic.nWidth) * 3 + c];
    return s;
}

TEST(Backdrop, IsTheUnshiftedNebulaPicture) {
    const Picture backdrop = BackdropWith(TextureFolder(true, true, true));
    const Picture nebula = LoadBmp24(kPictures + "/pic1_3.bmp");
    const Difference d = Compare(backdrop, nebula);
    EXPECT_LE(d.nMax, 2);
    EXPECT_GT(Compare(backdrop, ShiftedByOne(nebula)).dMean, 5 * d.dMean + 1.0) << "the backdrop is a shifted frame";
}

// A missing picture is the program's own copy; a picture file that is there wins over it.
TEST(Backdrop, WithoutTheThirdPictureIsTheBuiltInNebulaAndAPresentFileWins) {
    const Picture nebula = LoadBmp24(kPictures + "/pic1_3.bmp");
    EXPECT_LE(Compare(BackdropWith(TextureFolder(true, true, false)), nebula).nMax, 2);

    const std::string sOther = TextureFolder(true, true, false);
    CopyFile(kPictures + "/pic1_2.bmp", sOther + "/Nerlo03.bmp");
    const Picture sparkles = LoadBmp24(kPictures + "/pic1_2.bmp");
    EXPECT_LE(Compare(BackdropWith(sOther), sparkles).nMax, 2);
}

// A renderer with none of its files draws the real scene: the very frames of the product's files.
TEST(Backdrop, WithAllThreePicturesMissingIsTheSceneOfTheProductsPictures) {
    const std::string sMissing = MakeTempFolder(), sPresent = MakeTempFolder();
    const std::string sTimes = " --size 160x120 --time 0 --time 8 --time 45";
    const RunResult r = RunFrames("--textures " + TextureFolder(false, false, false) + " --out " + sMissing + sTimes);
    ASSERT_EQ(r.nExit, 0) << r.sOutput;
    EXPECT_EQ(r.sOutput.find("Error"), std::string::npos) << "no reader message: " << r.sOutput;
    ASSERT_EQ(RunFrames("--textures " + TextureFolder(true, true, true) + " --out " + sPresent + sTimes).nExit, 0);
    for (const char* pszName : {"frame-0.png", "frame-8000.png", "frame-45000.png"}) {
        SCOPED_TRACE(pszName);
        const Picture pic = Load(sMissing + "/" + pszName);
        ASSERT_FALSE(pic.aRgb.empty());
        EXPECT_EQ(Compare(pic, Load(sPresent + "/" + pszName)).nMax, 0);
        size_t nWhite = 0;
        for (uint8_t n : pic.aRgb) nWhite += n == 255;
        EXPECT_LT(nWhite, pic.aRgb.size() / 2) << "not the white screen";
    }
}

// A view of any shape shows the tube at the size the 4:3 view of the same width (or, when wider, the
// same height) shows it, and whole: with a plain grey third picture (the backdrop, stretched to any
// shape, stays that grey) a frame is the 768 x 576 frame centred on grey. A portrait view widens its
// vertical field for that; a wide one keeps 45 degrees.
struct ViewShape {
    const char* pszName;
    int nWidth;
    int nHeight;
};

class AnyShapeOfView : public ::testing::TestWithParam<ViewShape> {};

TEST_P(AnyShapeOfView, ShowsTheWholeTubeOfTheFourByThreeView) {
    const uint8_t kGrey = 48;
    const ViewShape shape = GetParam();
    const std::string sTextures = TextureFolder(true, true, false);
    ASSERT_TRUE(dibtest::WriteBytes(sTextures + "/Nerlo03.bmp",
                                    dibtest::MadePicture(256, 256, 24, std::vector<uint8_t>(256 * 256 * 3, kGrey)).Bytes()));
    const std::string sFour = MakeTempFolder(), sShape = MakeTempFolder();
    const std::string sTimes = " --time 45 --time 75";
    ASSERT_EQ(RunFrames("--textures " + sTextures + " --size 768x576 --out " + sFour + sTimes).nExit, 0);
    const std::string sSize = std::to_string(shape.nWidth) + "x" + std::to_string(shape.nHeight);
    ASSERT_EQ(RunFrames("--textures " + sTextures + " --size " + sSize + " --out " + sShape + sTimes).nExit, 0);
    for (const char* pszName : {"frame-45000.png", "frame-75000.png"}) {
        SCOPED_TRACE(pszName);
        const Picture four = Load(sFour + "/" + pszName), view = Load(sShape + "/" + pszName);
        ASSERT_EQ(view.nWidth, shape.nWidth);
        Picture expected{shape.nWidth, shape.nHeight, std::vector<uint8_t>(view.aRgb.size(), kGrey)};
        const int nLeft = (shape.nWidth - four.nWidth) / 2, nTop = (shape.nHeight - four.nHeight) / 2;
        for (int y = 0; y < four.nHeight; ++y)
            std::copy_n(&four.aRgb[static_cast<size_t>(y) * four.nWidth * 3], four.nWidth * 3,
                        &expected.aRgb[(static_cast<size_t>(y + nTop) * shape.nWidth + nLeft) * 3]);
        const Difference d = Compare(view, expected);
        EXPECT_LT(d.dMean, 0.5);
        EXPECT_LT(d.dShareOver16, 0.002);
        // The tube itself is in the picture, clear of its sides.
        size_t nLit = 0, nLitAtSides = 0;
        for (int y = 0; y < view.nHeight; ++y)
            for (int x = 0; x < view.nWidth; ++x) {
                const uint8_t* p = &view.aRgb[(static_cast<size_t>(y) * view.nWidth + x) * 3];
                const bool bLit = std::abs(p[0] - kGrey) + std::abs(p[1] - kGrey) + std::abs(p[2] - kGrey) > 24;
                nLit += bLit;
                nLitAtSides += bLit && (x == 0 || x == view.nWidth - 1);
            }
        EXPECT_GT(nLit, view.aRgb.size() / 3 / 50);
        EXPECT_EQ(nLitAtSides, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, AnyShapeOfView,
                         ::testing::Values(ViewShape{"portrait", 768, 1024}, ViewShape{"wide", 1024, 576}),
                         [](const ::testing::TestParamInfo<ViewShape>& info) { return std::string(info.param.pszName); });

TEST(FramesTool, TimesInOneRunCarryTheMorphAmountPast70Seconds) {
    // Drawn alone or after earlier frames, 75 s is the same frame: the clock is stepped through
    // the morph window either way, so the last amount written before 70 s carries over.
    const std::string sTextures = TextureFolder(true, true, true);
    const std::string sA = MakeTempFolder(), sB = MakeTempFolder();
    ASSERT_EQ(RunFrames("--textures " + sTextures + " --size 160x120 --out " + sA + " --time 75").nExit, 0);
    ASSERT_EQ(RunFrames("--textures " + sTextures + " --size 160x120 --out " + sB + " --time 10 --time 75").nExit, 0);
    EXPECT_EQ(Compare(Load(sA + "/frame-75000.png"), Load(sB + "/frame-75000.png")).nMax, 0);
}

}  // namespace
