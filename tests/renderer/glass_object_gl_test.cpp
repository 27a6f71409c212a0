// The glass object on a real GL context: its texture layers, the texture-unit set-up and what one
// Draw leaves behind. Plus the driver entry-point table it relies on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "renderer/gl.h"
#include "renderer/gl_proc.h"
#include "renderer/glass_object.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/scene.h"
#include "tests/renderer/gl_state_snapshot.h"

namespace {

const int kSize = 64;

float HalfRadius(float) { return 0.5f; }

// The scene's start shape: a torus around the unit circle, tube radius 0.5.
void DescribeStartTorus(CGlassObject& c) {
    c.fCurveA = 0.0f;
    c.fCurveB = 1.0f;
    c.nRingPoints = 20;
    c.nSegments = 200;
    c.pfnRadius = HalfRadius;
    c.bFlipFaces = false;
}

// Blanks the multitexture table for one test, as on a driver without ARB multitexture.
class NoMultitextureDriver {
public:
    NoMultitextureDriver() {
        for (int i = 0; i < MULTITEXTURE_ENTRY_COUNT; ++i) {
            apfnSaved[i] = MultitextureEntryPoints[i];
            MultitextureEntryPoints[i] = nullptr;
        }
    }
    ~NoMultitextureDriver() {
        for (int i = 0; i < MULTITEXTURE_ENTRY_COUNT; ++i) MultitextureEntryPoints[i] = apfnSaved[i];
    }

private:
    void (*apfnSaved[MULTITEXTURE_ENTRY_COUNT])();
};

class GlassObjectGlTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cContext.Open(kSize, kSize)) << cContext.Error();
        LoadEntryPoints();
        glGenTextures(6, anTextures);
        for (GLuint n : anTextures) glBindTexture(GL_TEXTURE_2D, n);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // Unit n's 2D binding (and enable, generation), read without disturbing the active unit.
    struct UnitState {
        GLint nBinding;
        bool bTexture2D, bGenS, bGenT;
        GLint nModeS, nModeT;
    };
    UnitState ReadUnit(int nUnit) {
        GLint nActive = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &nActive);
        TestActiveTexture()(GL_TEXTURE0_ARB + nUnit);
        UnitState c{};
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &c.nBinding);
        c.bTexture2D = glIsEnabled(GL_TEXTURE_2D);
        c.bGenS = glIsEnabled(GL_TEXTURE_GEN_S);
        c.bGenT = glIsEnabled(GL_TEXTURE_GEN_T);
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &c.nModeS);
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &c.nModeT);
        TestActiveTexture()(static_cast<GLenum>(nActive));
        return c;
    }

    // Pixel (x, y) of the target, counted from the bottom left.
    std::vector<uint8_t> Pixel(int x, int y) {
        const std::vector<uint8_t> a = cContext.ReadRgbTopDown();
        const size_t n = (static_cast<size_t>(kSize - 1 - y) * kSize + x) * 3;
        return {a[n], a[n + 1], a[n + 2]};
    }

    // Looking straight down the z axis at the x-y square (-2, -2) .. (2, 2).
    void LookDownOnTheTorus() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2.0, 2.0, -2.0, 2.0, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static int ToPixel(double d) { return static_cast<int>((d + 2.0) / 4.0 * kSize); }

    GLuint MakeTexture(int nWidth, int nHeight, const std::vector<uint8_t>& aRgba) {
        GLuint n = 0;
        glGenTextures(1, &n);
        glBindTexture(GL_TEXTURE_2D, n);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, nWidth, nHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, aRgba.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return n;
    }

    CEglContext cContext;
    GLuint anTextures[6] = {};
};

// ---- layers ----

TEST(GlassLayersTest, LayerIndexIsClampedAndNamesAreCopied) {
    const struct {
        int nLayer, nFilled;
    } aCases[] = {{0, 0}, {1, 1}, {5, 1}, {-3, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.nLayer);
        CGlassObject cObject;
        GLuint anNames[3] = {11, 12, 13};
        ASSERT_EQ(cObject.SetLayerTextures(c.nLayer, anNames, 3), 0);
        anNames[0] = 99;
        ASSERT_NE(cObject.pnLayerTextures[c.nFilled], nullptr);
        EXPECT_EQ(cObject.nLayerCount[c.nFilled], 3);
        EXPECT_EQ(cObject.pnLayerTextures[c.nFilled][0], 11u);
        EXPECT_EQ(cObject.pnLayerTextures[c.nFilled][2], 13u);
        EXPECT_EQ(cObject.pnLayerTextures[1 - c.nFilled], nullptr);
        EXPECT_EQ(cObject.nLayerCount[1 - c.nFilled], 0);
    }
}

TEST(GlassLayersTest, SelectLayerFrameTakesOnlyIndicesOfTheList) {
    const struct {
        int nLayer, nIndex, nFrame0, nFrame1;
    } aCases[] = {{0, 2, 2, 0}, {1, 3, 0, 3}, {0, 4, 0, 0}, {0, -1, 0, 0}, {1, 4, 0, 0}, {2, 1, 0, 0}, {-1, 1, 0, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(testing::Message() << "layer " << c.nLayer << " index " << c.nIndex);
        CGlassObject cObject;
        const GLuint anNames[4] = {1, 2, 3, 4};
        cObject.SetLayerTextures(0, anNames, 3);
        cObject.SetLayerTextures(1, anNames, 4);
        cObject.SelectLayerFrame(c.nLayer, c.nIndex);
        EXPECT_EQ(cObject.nLayerFrame[0], c.nFrame0);
        EXPECT_EQ(cObject.nLayerFrame[1], c.nFrame1);
    }
}

TEST(GlassLayersTest, ReplacingAListDropsTheOldOne) {
    CGlassObject cObject;
    const GLuint anFirst[2] = {5, 6}, anSecond[1] = {7};
    cObject.SetLayerTextures(0, anFirst, 2);
    cObject.SetLayerTextures(0, anSecond, 1);
    EXPECT_EQ(cObject.nLayerCount[0], 1);
    EXPECT_EQ(cObject.pnLayerTextures[0][0], 7u);
}

// ---- BindLayers ----

struct BindCase {
    const char* pszName;
    bool bSphereMap, bMultiTexture;
    // expected after BindLayers: unit 0 and unit 1 binding index into the fixture's textures (-1: none)
    int nUnit0Layer, nUnit1Layer;
    bool bSphereOnUnit0, bSphereOnUnit1;
    GLint nActiveUnit;
};

class GlassBindLayersTest : public GlassObjectGlTest, public testing::WithParamInterface<BindCase> {};

TEST_P(GlassBindLayersTest, BindsWhatTheFlagsSayOnEachUnit) {
    const BindCase& c = GetParam();
    CGlassObject cObject;
    cObject.bSphereMap = c.bSphereMap;
    cObject.bMultiTexture = c.bMultiTexture;
    const GLuint anLayer0[3] = {anTextures[0], anTextures[1], anTextures[2]};
    const GLuint anLayer1[3] = {anTextures[3], anTextures[4], anTextures[5]};
    cObject.SetLayerTextures(0, anLayer0, 3);
    cObject.SetLayerTextures(1, anLayer1, 3);
    cObject.SelectLayerFrame(0, 1);
    cObject.SelectLayerFrame(1, 2);
    // Left-over generation on the active unit must not survive BindLayers.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    cObject.BindLayers();

    GLint nActive = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &nActive);
    EXPECT_EQ(nActive, c.nActiveUnit);
    const GLint anExpected[2] = {c.nUnit0Layer < 0 ? 0 : static_cast<GLint>(anLayer0[1]),
                                 c.nUnit1Layer < 0 ? 0 : static_cast<GLint>(anLayer1[2])};
    const bool abSphere[2] = {c.bSphereOnUnit0, c.bSphereOnUnit1};
    const bool abEnabled[2] = {true, c.nUnit1Layer >= 0};
    for (int nUnit = 0; nUnit < 2; ++nUnit) {
        SCOPED_TRACE(testing::Message() << "unit " << nUnit);
        const UnitState s = ReadUnit(nUnit);
        EXPECT_EQ(s.nBinding, anExpected[nUnit]);
        EXPECT_EQ(s.bTexture2D, abEnabled[nUnit]);
        EXPECT_EQ(s.bGenS, abSphere[nUnit]);
        EXPECT_EQ(s.bGenT, abSphere[nUnit]);
        if (abSphere[nUnit]) {
            EXPECT_EQ(s.nModeS, GL_SPHERE_MAP);
            EXPECT_EQ(s.nModeT, GL_SPHERE_MAP);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, GlassBindLayersTest,
    testing::Values(BindCase{"SphereMultiTexture", true, true, 0, 1, false, true, GL_TEXTURE1_ARB},
                    BindCase{"SphereOnly", true, false, 0, -1, true, false, GL_TEXTURE0_ARB},
                    BindCase{"MultiTextureOnly", false, true, 0, 1, false, false, GL_TEXTURE1_ARB},
                    BindCase{"Neither", false, false, 0, -1, false, false, GL_TEXTURE0_ARB}),
    [](const testing::TestParamInfo<BindCase>& info) { return std::string(info.param.pszName); });

TEST_F(GlassObjectGlTest, WithoutDriverMultitextureBindLayersUsesOneUnit) {
    NoMultitextureDriver cNoDriver;
    CGlassObject cObject;
    cObject.bSphereMap = true;
    cObject.bMultiTexture = true;
    cObject.SetLayerTextures(0, &anTextures[0], 1);
    cObject.SetLayerTextures(1, &anTextures[1], 1);
    cObject.BindLayers();
    GLint nActive = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &nActive);
    EXPECT_EQ(nActive, GL_TEXTURE0_ARB);
    const UnitState s0 = ReadUnit(0), s1 = ReadUnit(1);
    EXPECT_EQ(s0.nBinding, static_cast<GLint>(anTextures[0]));
    EXPECT_TRUE(s0.bGenS && s0.bGenT);
    EXPECT_EQ(s1.nBinding, 0);
    EXPECT_FALSE(s1.bTexture2D);
}

TEST_F(GlassObjectGlTest, ALayerWithoutAUsableEntryBindsTheDefaultTexture) {
    const struct {
        const char* pszName;
        int nFirstCount, nSecondCount, nFrame;
    } aCases[] = {{"never set", -1, -1, 0}, {"empty list", 0, -1, 0}, {"frame beyond a shorter list", 3, 1, 2}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszName);
        CGlassObject cObject;
        cObject.bMultiTexture = true;
        cObject.SetLayerTextures(0, &anTextures[0], 1);
        if (c.nFirstCount >= 0) cObject.SetLayerTextures(1, &anTextures[1], c.nFirstCount);
        cObject.SelectLayerFrame(1, c.nFrame);
        if (c.nSecondCount >= 0) cObject.SetLayerTextures(1, &anTextures[1], c.nSecondCount);
        TestActiveTexture()(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, anTextures[5]);
        TestActiveTexture()(GL_TEXTURE0_ARB);
        cObject.BindLayers();
        EXPECT_EQ(ReadUnit(1).nBinding, 0);
        EXPECT_EQ(ReadUnit(0).nBinding, static_cast<GLint>(anTextures[0]));
    }
}

// ---- Draw ----

class GlassDrawStateTest : public GlassObjectGlTest,
                           public testing::WithParamInterface<std::tuple<bool, bool, bool, bool>> {};

TEST_P(GlassDrawStateTest, DrawLeavesEveryStateItTouchesAsItWas) {
    CGlassObject cObject;
    DescribeStartTorus(cObject);
    std::tie(cObject.bSphereMap, cObject.bMultiTexture, cObject.bBlend, cObject.bNormals) = GetParam();
    cObject.fPosition[0] = 0.5f;
    cObject.fPosition[2] = -1.0f;
    cObject.fRotation[0] = 30.0f;
    cObject.fRotation[3] = 1.0f;
    cObject.fColour[3] = 0.25f;
    cObject.nBlendSrc = GL_SRC_ALPHA;
    cObject.nBlendDst = GL_ONE_MINUS_SRC_ALPHA;
    cObject.SetLayerTextures(0, &anTextures[0], 2);
    cObject.SetLayerTextures(1, &anTextures[2], 2);
    cObject.SelectLayerFrame(1, 1);
    SetUnusualCallerState(anTextures[4], anTextures[5]);
    const GlStateSnapshot aBefore = TakeGlStateSnapshot();

    cObject.Draw();

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectSameGlState(aBefore, TakeGlStateSnapshot());
}

INSTANTIATE_TEST_SUITE_P(Flags, GlassDrawStateTest,
                         testing::Combine(testing::Bool(), testing::Bool(), testing::Bool(), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<bool, bool, bool, bool>>& info) {
                             std::string s;
                             s += std::get<0>(info.param) ? "Sphere" : "Flat";
                             s += std::get<1>(info.param) ? "TwoUnits" : "OneUnit";
                             s += std::get<2>(info.param) ? "Blend" : "Opaque";
                             s += std::get<3>(info.param) ? "Normals" : "NoNormals";
                             return s;
                         });

TEST_F(GlassObjectGlTest, DrawPaintsTheTorusWithTheDefaultTransform) {
    // The scene's flags, the default (zero-axis) rotation, layers bound to the default texture.
    CGlassObject cObject;
    DescribeStartTorus(cObject);
    cObject.bNormals = cObject.bMultiTexture = cObject.bSphereMap = true;
    const GLuint nNone = 0;
    cObject.SetLayerTextures(0, &nNone, 1);
    cObject.SetLayerTextures(1, &nNone, 1);
    LookDownOnTheTorus();
    cObject.Draw();
    const struct {
        double x, y;
        uint8_t nValue;
    } aProbes[] = {{0.0, 0.0, 0}, {1.0, 0.0, 255}, {-1.0, 0.0, 255}, {0.0, 1.0, 255}, {0.0, -1.0, 255},
                   {1.8, 0.0, 0}, {0.0, -1.8, 0}, {0.3, 0.3, 0}};
    for (const auto& p : aProbes) {
        SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
        EXPECT_EQ(Pixel(ToPixel(p.x), ToPixel(p.y)), std::vector<uint8_t>(3, p.nValue));
    }
}

struct TexCoordCase {
    const char* pszName;
    bool bMultiTexture, bBlankDriver;
};

class GlassTexCoordTest : public GlassObjectGlTest, public testing::WithParamInterface<TexCoordCase> {};

// A texture red for t < 0.5 and blue above, on both layers: the tube is red where the curve starts
// (x > 0) and blue on its way back, on both units alike; a unit left without the mesh's coordinates
// would turn one half black.
TEST_P(GlassTexCoordTest, MeshCoordinatesReachEveryUnitInUse) {
    const TexCoordCase& c = GetParam();
    NoMultitextureDriver* pcNoDriver = c.bBlankDriver ? new NoMultitextureDriver : nullptr;
    const GLuint nHalves = MakeTexture(1, 2, {255, 0, 0, 255, 0, 0, 255, 255});
    CGlassObject cObject;
    DescribeStartTorus(cObject);
    cObject.bMultiTexture = c.bMultiTexture;
    cObject.SetLayerTextures(0, &nHalves, 1);
    cObject.SetLayerTextures(1, &nHalves, 1);
    LookDownOnTheTorus();
    cObject.Draw();
    delete pcNoDriver;
    EXPECT_EQ(Pixel(ToPixel(1.0), ToPixel(0.0)), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(Pixel(ToPixel(-1.0), ToPixel(0.0)), (std::vector<uint8_t>{0, 0, 255}));
}

INSTANTIATE_TEST_SUITE_P(Units, GlassTexCoordTest,
                         testing::Values(TexCoordCase{"OneUnit", false, false}, TexCoordCase{"TwoUnits", true, false},
                                         TexCoordCase{"TwoUnitsWithoutDriverSupport", true, true}),
                         [](const testing::TestParamInfo<TexCoordCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(GlassObjectGlTest, BlendingUsesTheAlphaAndKeepsTheDepthBuffer) {
    const struct {
        const char* pszName;
        bool bBlend, bCallerBlends;
        float fAlpha;
        uint8_t nGrey;
        bool bDepthWritten;
    } aCases[] = {
        {"opaque", false, false, 0.25f, 255, true},
        {"blend: seen from above, both walls add a quarter", true, false, 0.25f, 112, false},
        {"opaque sends no alpha into the caller's blending", false, true, 0.0f, 255, true},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszName);
        CGlassObject cObject;
        DescribeStartTorus(cObject);
        cObject.bBlend = c.bBlend;
        cObject.fColour[3] = c.fAlpha;
        cObject.nBlendSrc = GL_SRC_ALPHA;
        cObject.nBlendDst = GL_ONE_MINUS_SRC_ALPHA;
        LookDownOnTheTorus();
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (c.bCallerBlends) glEnable(GL_BLEND);
        cObject.Draw();
        glDisable(GL_BLEND);
        const std::vector<uint8_t> aPixel = Pixel(ToPixel(1.0), ToPixel(0.0));
        EXPECT_NEAR(aPixel[0], c.nGrey, 2);
        GLfloat fDepth = 0.0f;
        glReadPixels(ToPixel(1.0), ToPixel(0.0), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &fDepth);
        if (c.bDepthWritten) EXPECT_LT(fDepth, 0.9f);
        else EXPECT_EQ(fDepth, 1.0f);
        glDisable(GL_DEPTH_TEST);
    }
}

// ---- entry points ----

TEST_F(GlassObjectGlTest, EntryPointTableFollowsTheDriverNamesInOrder) {
    std::vector<std::string> aExpected = {"glActiveTextureARB", "glClientActiveTextureARB"};
    for (int nDim = 1; nDim <= 4; ++nDim)
        for (const char* pszSuffix : {"d", "dv", "f", "fv", "i", "iv", "s", "sv"})
            aExpected.push_back("glMultiTexCoord" + std::to_string(nDim) + pszSuffix + "ARB");
    ASSERT_EQ(aExpected.size(), static_cast<size_t>(MULTITEXTURE_ENTRY_COUNT));
    for (int i = 0; i < MULTITEXTURE_ENTRY_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(MultitextureEntryNames[i], aExpected[i]);
        // Mesa offers the whole extension, so every entry is filled with the driver's own.
        EXPECT_NE(MultitextureEntryPoints[i], nullptr);
        EXPECT_EQ(MultitextureEntryPoints[i], GetGlProcAddress(aExpected[i].c_str()));
    }
}

TEST_F(GlassObjectGlTest, SwapIntervalWithoutTheDriverEntryDoesNothing) {
    ASSERT_EQ(GetGlProcAddress("wglSwapIntervalEXT"), nullptr);
    SetSwapInterval(0x1FF);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A driver that offers the swap control: the headless lookup refuses every "wgl" name, so this one
// hands out a recorder for wglSwapIntervalEXT and the real entry points for everything else.
std::vector<int> aSwapIntervals;
int APIENTRY RecordSwapInterval(int nInterval) {
    aSwapIntervals.push_back(nInterval);
    return 1;
}
GlProc LookupWithSwapControl(const char* pszName) {
    if (std::string(pszName) == "wglSwapIntervalEXT") return reinterpret_cast<GlProc>(RecordSwapInterval);
    return GetGlProcAddress(pszName);
}
class SwapControlDriver {
public:
    SwapControlDriver() : pfnSaved(SetGlProcLookup(LookupWithSwapControl)) { aSwapIntervals.clear(); }
    ~SwapControlDriver() { SetGlProcLookup(pfnSaved); }

private:
    GlProcLookup pfnSaved;
};

TEST_F(GlassObjectGlTest, SwapIntervalHandsTheDriverTheLowEightBits) {
    const SwapControlDriver driver;
    for (int n : {0, 1, 0x1FF, 0x100, -1, 0x12345}) SetSwapInterval(n);
    EXPECT_EQ(aSwapIntervals, (std::vector<int>{0, 1, 0xFF, 0, 0xFF, 0x45}));
}

TEST_F(GlassObjectGlTest, InitSceneTurnsTheWaitForTheDisplayOff) {
    const SwapControlDriver driver;
    EXPECT_NE(InitScene(), 0);
    EXPECT_EQ(aSwapIntervals, (std::vector<int>{0}));
}

}  // namespace
