// The texture loaders on a real GL context (EGL surfaceless, llvmpipe): what the textures hold and
// which state they carry, read back from GL; and the scene's pictures, from their files or built in.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "renderer/builtin_pictures.h"
#include "renderer/dib_decode.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/scene.h"
#include "renderer/textures.h"
#include "tests/renderer/dib_test_support.h"

namespace {

using dibtest::BmpRecipe;

class TextureContext : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(context.Open(16, 16)) << context.Error(); }

    std::string TempPath(const std::string& sName) {
        const std::string sPath =
            testing::TempDir() + "textures_gl_" + std::to_string(getpid()) + "_" + sName + ".bmp";
        asTempFiles.push_back(sPath);
        return sPath;
    }
    void TearDown() override {
        for (const std::string& sPath : asTempFiles) std::remove(sPath.c_str());
    }

    // Level 0 of the bound 2D texture as packed R G B rows, bottom row first.
    static std::vector<uint8_t> BoundTextureRgb() {
        GLint nWidth = 0, nHeight = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &nWidth);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &nHeight);
        std::vector<uint8_t> a(static_cast<size_t>(nWidth) * nHeight * 3);
        GLint nPack = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &nPack);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!a.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, a.data());
        glPixelStorei(GL_PACK_ALIGNMENT, nPack);
        return a;
    }

    CEglContext context;
    std::vector<std::string> asTempFiles;
};

GLint TexParameter(GLenum eName) {
    GLint n = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, eName, &n);
    return n;
}

GLint TexLevelParameter(GLenum eName) {
    GLint n = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, eName, &n);
    return n;
}

// A 24-bit bottom-up BMP of the given packed B G R rows (padding added as the file format wants).
BmpRecipe Bgr24(int nWidth, int nHeight, const std::vector<uint8_t>& aPacked) {
    BmpRecipe recipe;
    recipe.nWidth = nWidth;
    recipe.nHeight = nHeight;
    const size_t nRow = static_cast<size_t>(nWidth) * 3;
    for (int y = 0; y < nHeight; ++y) {
        recipe.aBits.insert(recipe.aBits.end(), aPacked.begin() + nRow * y, aPacked.begin() + nRow * (y + 1));
        recipe.aBits.resize((recipe.aBits.size() + 3) & ~size_t(3));
    }
    return recipe;
}

std::vector<uint8_t> BgrToRgb(std::vector<uint8_t> a) {
    for (size_t i = 0; i + 2 < a.size(); i += 3) std::swap(a[i], a[i + 2]);
    return a;
}

using RgbTexture = TextureContext;

TEST_F(RgbTexture, TintPictureIsOneRepeatingLinearTexel) {
    const std::string sPath = TempPath("tint");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, Bgr24(1, 1, {0x30, 0x20, 0x10}).Bytes()));
    GLuint nName = 0;
    ASSERT_TRUE(LoadRgbTexture(sPath.c_str(), nName, GL_REPEAT, GL_REPEAT));
    ASSERT_NE(nName, 0u);
    GLint nBound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &nBound);
    EXPECT_EQ(static_cast<GLuint>(nBound), nName);
    EXPECT_EQ(TexLevelParameter(GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(TexLevelParameter(GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(BoundTextureRgb(), (std::vector<uint8_t>{0x10, 0x20, 0x30}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RgbTexture, WrapModesAreTheCallersAndUnpackAlignmentIsRestored) {
    const std::string sPath = TempPath("wrap");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, Bgr24(1, 1, {1, 2, 3}).Bytes()));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    GLuint nName = 0;
    ASSERT_TRUE(LoadRgbTexture(sPath.c_str(), nName, GL_CLAMP, GL_CLAMP_TO_EDGE));
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    GLint nAlignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &nAlignment);
    EXPECT_EQ(nAlignment, 8);
}

struct PictureCase {
    const char* pszName;
    std::function<BmpRecipe()> fnRecipe;
    int nWidth, nHeight;
    std::vector<uint8_t> aRgb;  // bottom row first
};

void PrintTo(const PictureCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class RgbTexturePicture : public TextureContext, public testing::WithParamInterface<PictureCase> {};

// Odd widths need the packed rows uploaded with alignment 1; top-down files arrive bottom-up.
TEST_P(RgbTexturePicture, UploadsThePictureBottomRowFirst) {
    const PictureCase& item = GetParam();
    const std::string sPath = TempPath(item.pszName);
    ASSERT_TRUE(dibtest::WriteBytes(sPath, item.fnRecipe().Bytes()));
    GLuint nName = 0;
    ASSERT_TRUE(LoadRgbTexture(sPath.c_str(), nName, GL_REPEAT, GL_REPEAT));
    EXPECT_EQ(TexLevelParameter(GL_TEXTURE_WIDTH), item.nWidth);
    EXPECT_EQ(TexLevelParameter(GL_TEXTURE_HEIGHT), item.nHeight);
    EXPECT_EQ(BoundTextureRgb(), item.aRgb);
}

INSTANTIATE_TEST_SUITE_P(Pictures, RgbTexturePicture, testing::Values(
    PictureCase{"odd_width",
                [] { return Bgr24(3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}); },
                3, 2, BgrToRgb({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})},
    PictureCase{"top_down", [] { auto s = Bgr24(1, 2, {1, 2, 3, 4, 5, 6}); s.nHeight = -2; return s; },
                1, 2, {6, 5, 4, 3, 2, 1}},
    PictureCase{"paletted_8_bit", [] {
                    BmpRecipe s;
                    s.nWidth = 2; s.nBitCount = 8; s.nClrUsed = 2; s.aPalette = {0x112233, 0x445566};
                    s.aBits = {1, 0, 0, 0};
                    return s;
                },
                2, 1, {0x44, 0x55, 0x66, 0x11, 0x22, 0x33}}),
    [](const testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.pszName); });

// Files that cannot be opened or read are told apart from files the reader refuses: only the first
// are quiet, and only they let the scene take its built-in picture.
TEST_F(RgbTexture, UnreadableFilesAreQuietAndToldApartFromRefusedOnes) {
    const std::string sFolder = TempPath("folder");
    ASSERT_EQ(mkdir(sFolder.c_str(), 0700), 0);
    const std::string sGarbage = TempPath("garbage");
    ASSERT_TRUE(dibtest::WriteBytes(sGarbage, std::vector<uint8_t>(64, 0xEE)));
    const std::string sAbsent = testing::TempDir() + "textures_gl_absent.bmp";
    // A good picture one texel wider than the driver's largest texture: never handed to the driver.
    GLint nMaxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSide);
    const std::string sTooWide = TempPath("too_wide");
    ASSERT_TRUE(dibtest::WriteBytes(sTooWide, Bgr24(nMaxSide + 1, 1, std::vector<uint8_t>((nMaxSide + 1) * 3, 0x40)).Bytes()));
    struct {
        const char* pszName;
        const char* pszPath;
        TextureLoad eExpected;
        bool bMessage;
    } const aCases[] = {
        {"missing", sAbsent.c_str(), TextureLoad::kUnreadable, false},
        {"no path", nullptr, TextureLoad::kUnreadable, false},
        {"a folder of that name", sFolder.c_str(), TextureLoad::kUnreadable, false},
        {"not a picture", sGarbage.c_str(), TextureLoad::kNotAPicture, true},
        {"wider than any texture", sTooWide.c_str(), TextureLoad::kNotAPicture, false},
    };
    for (const auto& item : aCases) {
        SCOPED_TRACE(item.pszName);
        GLuint nName = 0;
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadRgbTextureFile(item.pszPath, nName, GL_REPEAT, GL_REPEAT), item.eExpected);
        EXPECT_EQ(!testing::internal::GetCapturedStderr().empty(), item.bMessage);
        EXPECT_EQ(nName, 0u);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    rmdir(sFolder.c_str());
}

TEST_F(RgbTexture, PictureInMemoryMakesTheSameTextureAsItsFile) {
    const std::vector<uint8_t> aBytes = Bgr24(3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}).Bytes();
    const std::string sPath = TempPath("memory");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, aBytes));
    GLuint nFromFile = 0, nFromBytes = 0;
    ASSERT_TRUE(LoadRgbTexture(sPath.c_str(), nFromFile, GL_REPEAT, GL_REPEAT));
    const std::vector<uint8_t> aFromFile = BoundTextureRgb();
    ASSERT_TRUE(LoadRgbTextureBytes(aBytes.data(), aBytes.size(), nFromBytes, GL_CLAMP, GL_REPEAT));
    EXPECT_NE(nFromBytes, nFromFile);
    EXPECT_EQ(BoundTextureRgb(), aFromFile);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    GLuint nNone = 0;
    EXPECT_FALSE(LoadRgbTextureBytes(aBytes.data(), 20, nNone, GL_REPEAT, GL_REPEAT));
    EXPECT_FALSE(LoadRgbTextureBytes(nullptr, 0, nNone, GL_REPEAT, GL_REPEAT));
    EXPECT_EQ(nNone, 0u);
}

// ------------------------------------------------------------------------------------------------

using ScrollTextures = TextureContext;

// A picture with no two pixels alike: B = x, G = y, R = x ^ y.
std::vector<uint8_t> Gradient(int nWidth, int nHeight) {
    std::vector<uint8_t> a;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            a.push_back(static_cast<uint8_t>(x));
            a.push_back(static_cast<uint8_t>(y));
            a.push_back(static_cast<uint8_t>(x ^ y ^ 0x5A));
        }
    return a;
}

// The packed B G R picture moved by (nDx, nDy) with wrap-around, as R G B.
std::vector<uint8_t> ShiftedRgb(const std::vector<uint8_t>& aBgr, int nWidth, int nHeight, int nDx, int nDy) {
    std::vector<uint8_t> a(aBgr.size());
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            const int nFromX = ((x - nDx) % nWidth + nWidth) % nWidth;
            const int nFromY = ((y - nDy) % nHeight + nHeight) % nHeight;
            const uint8_t* p = &aBgr[(static_cast<size_t>(nFromY) * nWidth + nFromX) * 3];
            uint8_t* q = &a[(static_cast<size_t>(y) * nWidth + x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    return a;
}

struct ScrollCase {
    const char* pszName;
    int nWidth, nHeight, nCount, nDx, nDy;
};

void PrintTo(const ScrollCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class ScrollTexturesFrames : public TextureContext, public testing::WithParamInterface<ScrollCase> {};

// Frame k holds the picture moved by (k + 1) steps; with a full cycle the last frame is the picture.
TEST_P(ScrollTexturesFrames, EachFrameIsOneMoreStep) {
    const ScrollCase& item = GetParam();
    const std::vector<uint8_t> aPicture = Gradient(item.nWidth, item.nHeight);
    const std::string sPath = TempPath(item.pszName);
    ASSERT_TRUE(dibtest::WriteBytes(sPath, Bgr24(item.nWidth, item.nHeight, aPicture).Bytes()));
    std::vector<GLuint> anNames(static_cast<size_t>(item.nCount), 0);
    ASSERT_TRUE(LoadScrollTextures(sPath.c_str(), anNames.data(), item.nCount, item.nDx, item.nDy));
    GLint nBound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &nBound);
    EXPECT_EQ(static_cast<GLuint>(nBound), anNames.back()) << "the last frame stays bound";
    for (int k : {0, 1, item.nCount / 2, item.nCount - 1}) {
        SCOPED_TRACE("frame " + std::to_string(k));
        ASSERT_NE(anNames[k], 0u);
        glBindTexture(GL_TEXTURE_2D, anNames[k]);
        EXPECT_EQ(TexLevelParameter(GL_TEXTURE_WIDTH), item.nWidth);
        EXPECT_EQ(TexLevelParameter(GL_TEXTURE_HEIGHT), item.nHeight);
        EXPECT_EQ(TexParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(TexParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
        EXPECT_TRUE(BoundTextureRgb() ==
                    ShiftedRgb(aPicture, item.nWidth, item.nHeight, (k + 1) * item.nDx, (k + 1) * item.nDy));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Layers, ScrollTexturesFrames, testing::Values(
    ScrollCase{"first_layer_256_frames", 256, 256, 256, 1, 1},
    ScrollCase{"second_layer_256_frames", 256, 256, 256, -1, -1},
    ScrollCase{"padded_rows_and_larger_steps", 6, 5, 4, 2, -3}),
    [](const testing::TestParamInfo<ScrollCase>& info) { return std::string(info.param.pszName); });

// The two layers of the scene, frame by frame: frame 255 is the picture as stored, frame 0 differs from
// it by one column and one row, and the second layer runs the other way.
TEST_F(ScrollTextures, FullCycleEndsOnThePictureAndStartsOneStepAway) {
    const std::vector<uint8_t> aPicture = Gradient(256, 256);
    const std::vector<uint8_t> aPictureRgb = ShiftedRgb(aPicture, 256, 256, 0, 0);
    const std::string sPath = TempPath("cycle");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, Bgr24(256, 256, aPicture).Bytes()));
    GLuint anForward[256] = {};
    GLuint anBackward[256] = {};
    ASSERT_TRUE(LoadScrollTextures(sPath.c_str(), anForward, 256, 1, 1));
    ASSERT_TRUE(LoadScrollTextures(sPath.c_str(), anBackward, 256, -1, -1));

    glBindTexture(GL_TEXTURE_2D, anForward[255]);
    EXPECT_TRUE(BoundTextureRgb() == aPictureRgb);
    glBindTexture(GL_TEXTURE_2D, anBackward[255]);
    EXPECT_TRUE(BoundTextureRgb() == aPictureRgb);

    // Frame 0 of the first layer: texel (x, y) came from (x - 1, y - 1).
    glBindTexture(GL_TEXTURE_2D, anForward[0]);
    const std::vector<uint8_t> aForward0 = BoundTextureRgb();
    glBindTexture(GL_TEXTURE_2D, anBackward[0]);
    const std::vector<uint8_t> aBackward0 = BoundTextureRgb();
    auto Texel = [](const std::vector<uint8_t>& a, int x, int y) {
        const size_t n = (static_cast<size_t>(y) * 256 + x) * 3;
        return std::vector<uint8_t>(a.begin() + n, a.begin() + n + 3);
    };
    EXPECT_EQ(Texel(aForward0, 1, 1), Texel(aPictureRgb, 0, 0));
    EXPECT_EQ(Texel(aForward0, 0, 0), Texel(aPictureRgb, 255, 255));
    EXPECT_EQ(Texel(aBackward0, 0, 0), Texel(aPictureRgb, 1, 1));
    EXPECT_EQ(Texel(aBackward0, 255, 255), Texel(aPictureRgb, 0, 0));
    EXPECT_FALSE(aForward0 == aPictureRgb);
}

struct BadFileCase {
    const char* pszName;
    std::function<std::vector<uint8_t>()> fnBytes;  // empty function: no file at all
    TextureLoad eExpected = TextureLoad::kNotAPicture;
};

void PrintTo(const BadFileCase& item, std::ostream* pStream) { *pStream << item.pszName; }

class ScrollTexturesBadFile : public TextureContext, public testing::WithParamInterface<BadFileCase> {};

// Anything but an uncompressed bottom-up 24-bit BMP with its pixels at byte 54 counts as missing.
TEST_P(ScrollTexturesBadFile, IsTreatedAsMissing) {
    const BadFileCase& item = GetParam();
    const std::string sPath = TempPath(item.pszName);
    std::remove(sPath.c_str());
    if (item.fnBytes) {
        ASSERT_TRUE(dibtest::WriteBytes(sPath, item.fnBytes()));
    }
    GLuint nBefore = 0;
    glGenTextures(1, &nBefore);
    GLuint anNames[4] = {};
    EXPECT_EQ(LoadScrollTexturesFile(sPath.c_str(), anNames, 4, 1, 1), item.eExpected);
    EXPECT_FALSE(LoadScrollTextures(sPath.c_str(), anNames, 4, 1, 1));
    // The shifted layers' one picture is refused alike, and leaves its outputs as they were.
    GLuint nPicture = 0;
    int nWidth = -1, nHeight = -1;
    EXPECT_EQ(LoadScrollPictureFile(sPath.c_str(), nPicture, nWidth, nHeight), item.eExpected);
    if (item.fnBytes) {
        const std::vector<uint8_t> aBytes = item.fnBytes();
        EXPECT_FALSE(LoadScrollTexturesBytes(aBytes.data(), aBytes.size(), anNames, 4, 1, 1));
        EXPECT_FALSE(LoadScrollPictureBytes(aBytes.data(), aBytes.size(), nPicture, nWidth, nHeight));
    }
    EXPECT_EQ(nPicture, 0u);
    EXPECT_EQ(nWidth, -1);
    EXPECT_EQ(anNames[0], 0u);
    EXPECT_EQ(anNames[3], 0u);
    GLuint nAfter = 0;
    glGenTextures(1, &nAfter);
    EXPECT_EQ(nAfter, nBefore + 1) << "no texture names were taken in between";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

std::function<std::vector<uint8_t>()> Changed(std::function<void(BmpRecipe&)> fnChange) {
    return [fnChange] {
        BmpRecipe recipe = Bgr24(4, 4, Gradient(4, 4));
        fnChange(recipe);
        return recipe.Bytes();
    };
}

std::function<std::vector<uint8_t>()> Cut(size_t nLength) {
    return [nLength] {
        std::vector<uint8_t> a = Bgr24(4, 4, Gradient(4, 4)).Bytes();
        a.resize(nLength);
        return a;
    };
}

INSTANTIATE_TEST_SUITE_P(Files, ScrollTexturesBadFile, testing::Values(
    BadFileCase{"missing", nullptr, TextureLoad::kUnreadable},
    BadFileCase{"empty", Cut(0)},
    BadFileCase{"header_only", Cut(54)},
    BadFileCase{"one_byte_short", Cut(54 + 48 - 1)},
    BadFileCase{"bare_dib", Changed([](BmpRecipe& s) { s.bFile = false; })},
    BadFileCase{"core_header", Changed([](BmpRecipe& s) { s.nHeaderSize = 12; })},
    BadFileCase{"v4_header", Changed([](BmpRecipe& s) { s.nHeaderSize = 108; })},
    BadFileCase{"paletted_8_bit", Changed([](BmpRecipe& s) {
        s.nBitCount = 8; s.aPalette.assign(256, 0); s.aBits.resize(16); })},
    BadFileCase{"thirty_two_bit", Changed([](BmpRecipe& s) { s.nBitCount = 32; s.aBits.resize(64); })},
    BadFileCase{"run_length", Changed([](BmpRecipe& s) { s.nCompression = 1; })},
    BadFileCase{"bit_fields", Changed([](BmpRecipe& s) { s.nCompression = 3; })},
    BadFileCase{"pixels_not_at_54", Changed([](BmpRecipe& s) { s.nOffBitsOverride = 58; })},
    BadFileCase{"top_down", Changed([](BmpRecipe& s) { s.nHeight = -4; })},
    BadFileCase{"zero_width", Changed([](BmpRecipe& s) { s.nWidth = 0; })},
    BadFileCase{"huge_width", Changed([](BmpRecipe& s) { s.nWidth = 100000; })},
    BadFileCase{"huge_height", Changed([](BmpRecipe& s) { s.nHeight = 0x7FFFFFFF; })}),
    [](const testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.pszName); });

TEST_F(ScrollTextures, AFolderOfThatNameIsUnreadable) {
    const std::string sFolder = TempPath("folder");
    ASSERT_EQ(mkdir(sFolder.c_str(), 0700), 0);
    GLuint anNames[4] = {};
    EXPECT_EQ(LoadScrollTexturesFile(sFolder.c_str(), anNames, 4, 1, 1), TextureLoad::kUnreadable);
    EXPECT_EQ(anNames[0], 0u);
    rmdir(sFolder.c_str());
}

TEST_F(ScrollTextures, PictureInMemoryMakesTheSameFramesAsItsFile) {
    const std::vector<uint8_t> aPicture = Gradient(6, 5);
    const std::vector<uint8_t> aBytes = Bgr24(6, 5, aPicture).Bytes();
    const std::string sPath = TempPath("memory");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, aBytes));
    GLuint anFile[5] = {}, anBytes[5] = {};
    ASSERT_TRUE(LoadScrollTextures(sPath.c_str(), anFile, 5, 2, -3));
    ASSERT_TRUE(LoadScrollTexturesBytes(aBytes.data(), aBytes.size(), anBytes, 5, 2, -3));
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        glBindTexture(GL_TEXTURE_2D, anBytes[k]);
        EXPECT_TRUE(BoundTextureRgb() == ShiftedRgb(aPicture, 6, 5, 2 * (k + 1), -3 * (k + 1)));
    }
}

TEST_F(ScrollTextures, NoFramesAskedMakesNoTextures) {
    const std::string sPath = TempPath("none");
    ASSERT_TRUE(dibtest::WriteBytes(sPath, Bgr24(4, 4, Gradient(4, 4)).Bytes()));
    GLuint nName = 0;
    EXPECT_FALSE(LoadScrollTextures(sPath.c_str(), &nName, 0, 1, 1));
    EXPECT_EQ(nName, 0u);
}

// ------------------------------------------------------------------------------------------------

// The scene's set-up over chosen files: each picture that cannot be read is the program's own copy,
// without a message; a file that can be read wins; a file that is not a picture keeps the reader's way.
class ScenePictures : public TextureContext {
protected:
    void SetUp() override {
        TextureContext::SetUp();
        for (int k = 0; k < SCENE_TEXTURE_FILES; ++k) asSaved[k] = asSceneTextureFiles[k];
    }
    void TearDown() override {
        for (int k = 0; k < SCENE_TEXTURE_FILES; ++k) asSceneTextureFiles[k] = asSaved[k];
        TextureContext::TearDown();
    }

    // SetupScene from a clean state; the reader's messages come back in sMessages.
    bool Setup(std::string& sMessages) {
        nTintTexture = 0;
        std::fill(std::begin(anLayerTextures0), std::end(anLayerTextures0), 0u);
        std::fill(std::begin(anLayerTextures1), std::end(anLayerTextures1), 0u);
        testing::internal::CaptureStderr();
        const bool bFailures = SetupScene(100000);
        sMessages = testing::internal::GetCapturedStderr();
        return bFailures;
    }

    static std::vector<uint8_t> TextureRgb(GLuint nName) {
        glBindTexture(GL_TEXTURE_2D, nName);
        return BoundTextureRgb();
    }

    // Built-in picture n as R G B rows, bottom row first (every one of them is stored bottom-up).
    static std::vector<uint8_t> BuiltinRgb(int nNumber) {
        const BuiltinPicture picture = GetBuiltinPicture(nNumber);
        DibResult eResult = DibResult::kOk;
        RgbImage* pImage = DecodeDib(picture.pBytes, picture.nSize, eResult);
        if (!pImage) return {};
        const size_t nRows = static_cast<size_t>(pImage->nHeight < 0 ? -pImage->nHeight : pImage->nHeight);
        std::vector<uint8_t> a(pImage->pData, pImage->pData + static_cast<size_t>(pImage->nWidth) * nRows * 3);
        FreeRgbImage(pImage);
        return a;
    }

    std::string asSaved[SCENE_TEXTURE_FILES];
};

TEST_F(ScenePictures, MissingFilesAreTheBuiltInPicturesAndAPresentFileWins) {
    const std::vector<uint8_t> aPicture = Gradient(256, 256);
    asSceneTextureFiles[0] = TempPath("absent_tint");
    asSceneTextureFiles[1] = TempPath("present_layer");
    asSceneTextureFiles[2] = TempPath("absent_nebula");
    ASSERT_TRUE(dibtest::WriteBytes(asSceneTextureFiles[1], Bgr24(256, 256, aPicture).Bytes()));
    std::string sMessages;
    EXPECT_FALSE(Setup(sMessages)) << "nothing failed";
    EXPECT_EQ(sMessages, "") << "no reader message for a missing file";

    ASSERT_NE(nTintTexture, 0u);
    EXPECT_EQ(TextureRgb(nTintTexture), BuiltinRgb(1));
    ASSERT_NE(anLayerTextures0[255], 0u);
    EXPECT_TRUE(TextureRgb(anLayerTextures0[255]) == ShiftedRgb(aPicture, 256, 256, 0, 0)) << "the file wins";
    const std::vector<uint8_t> aNebula = BuiltinRgb(3);
    ASSERT_EQ(aNebula.size(), 256u * 256u * 3u);
    EXPECT_TRUE(TextureRgb(anLayerTextures1[255]) == aNebula);
    EXPECT_FALSE(TextureRgb(anLayerTextures1[0]) == aNebula) << "frame 0 is one step along";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScenePictures, AllThreeMissingGiveTheSceneOfTheProductsOwnFiles) {
    for (int k = 0; k < SCENE_TEXTURE_FILES; ++k) asSceneTextureFiles[k] = TempPath("absent" + std::to_string(k));
    std::string sMessages;
    EXPECT_FALSE(Setup(sMessages));
    EXPECT_EQ(sMessages, "");
    EXPECT_EQ(TextureRgb(nTintTexture), BuiltinRgb(1));
    EXPECT_TRUE(TextureRgb(anLayerTextures0[255]) == BuiltinRgb(2));
    EXPECT_TRUE(TextureRgb(anLayerTextures1[255]) == BuiltinRgb(3));
}

TEST_F(ScenePictures, FilesThatAreNotPicturesKeepTheReadersAnswer) {
    for (int k = 0; k < SCENE_TEXTURE_FILES; ++k) {
        asSceneTextureFiles[k] = TempPath("garbage" + std::to_string(k));
        ASSERT_TRUE(dibtest::WriteBytes(asSceneTextureFiles[k], std::vector<uint8_t>(100, 0x42)));
    }
    std::string sMessages;
    EXPECT_TRUE(Setup(sMessages)) << "the failures are counted";
    EXPECT_NE(sMessages.find("Unknown DIB file format."), std::string::npos) << sMessages;
    EXPECT_EQ(nTintTexture, 0u);
    EXPECT_EQ(anLayerTextures0[0], 0u);
    EXPECT_EQ(anLayerTextures1[255], 0u);
}

}  // namespace
