// The full-screen overlay on a real GL context: coverage whatever the caller's matrices, texture
// orientation, blending, depth writes, its display list's life, and the state it leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "renderer/gl.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/overlay.h"
#include "tests/renderer/gl_state_snapshot.h"

namespace {

const int kWidth = 64;
const int kHeight = 48;

class OverlayGlTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cContext.Open(kWidth, kHeight)) << cContext.Error();
        ClearTo(0.0f);
    }
    void TearDown() override { cOverlay.Release(); }

    static void ClearTo(float fGrey) {
        glClearColor(fGrey, fGrey, fGrey, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Pixel (x, y) counted from the bottom left, as GL counts.
    std::vector<uint8_t> Pixel(int x, int y) const {
        const std::vector<uint8_t> a = cContext.ReadRgbTopDown();
        const size_t n = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3;
        return {a[n], a[n + 1], a[n + 2]};
    }
    static float Depth(int x, int y) {
        GLfloat f = -1.0f;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &f);
        return f;
    }
    static void SetWildMatrices() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(30.0, 2.5, 0.5, 40.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(7.0f, -3.0f, -20.0f);
        glRotatef(63.0f, 1.0f, 1.0f, 0.0f);
        glScalef(0.01f, 5.0f, 2.0f);
    }

    CEglContext cContext;
    COverlay cOverlay;
};

struct ViewportCase {
    const char* pszName;
    int x, y, w, h;
};

class OverlayCoverageTest : public OverlayGlTest, public testing::WithParamInterface<ViewportCase> {};

TEST_P(OverlayCoverageTest, CoversExactlyTheViewportWhateverTheMatrices) {
    const ViewportCase& c = GetParam();
    glViewport(c.x, c.y, c.w, c.h);
    cOverlay.Build();
    SetWildMatrices();
    GLfloat afModelview[16], afProjection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, afModelview);
    glGetFloatv(GL_PROJECTION_MATRIX, afProjection);

    cOverlay.Draw();

    const std::vector<uint8_t> a = cContext.ReadRgbTopDown();
    int nWrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool bInside = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
            const uint8_t nPixel = a[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3];
            if (nPixel != (bInside ? 255 : 0)) ++nWrong;
        }
    EXPECT_EQ(nWrong, 0);
    GLfloat afAfter[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, afAfter);
    EXPECT_EQ(std::vector<GLfloat>(afAfter, afAfter + 16), std::vector<GLfloat>(afModelview, afModelview + 16));
    glGetFloatv(GL_PROJECTION_MATRIX, afAfter);
    EXPECT_EQ(std::vector<GLfloat>(afAfter, afAfter + 16), std::vector<GLfloat>(afProjection, afProjection + 16));
}

INSTANTIATE_TEST_SUITE_P(Viewports, OverlayCoverageTest,
                         testing::Values(ViewportCase{"Whole", 0, 0, kWidth, kHeight},
                                         ViewportCase{"Inset", 10, 5, 30, 20},
                                         ViewportCase{"Corner", 40, 30, 24, 18}),
                         [](const testing::TestParamInfo<ViewportCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(OverlayGlTest, TextureOriginLandsAtTheBottomLeft) {
    // Texel rows bottom up: red, green / blue, white.
    const uint8_t aTexels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint nTexture = 0;
    glGenTextures(1, &nTexture);
    glBindTexture(GL_TEXTURE_2D, nTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, aTexels);
    glEnable(GL_TEXTURE_2D);
    cOverlay.Build();
    cOverlay.Draw();
    const struct {
        const char* pszCorner;
        int x, y;
        std::vector<uint8_t> aColour;
    } aCorners[] = {{"bottom left", 0, 0, {255, 0, 0}},
                    {"bottom right", kWidth - 1, 0, {0, 255, 0}},
                    {"top left", 0, kHeight - 1, {0, 0, 255}},
                    {"top right", kWidth - 1, kHeight - 1, {255, 255, 255}}};
    for (const auto& c : aCorners) EXPECT_EQ(Pixel(c.x, c.y), c.aColour) << c.pszCorner;
}

TEST_F(OverlayGlTest, BlendAddsTheColourWithItsAlphaOrPaintsItOpaque) {
    const struct {
        const char* pszName;
        bool bBlend, bCallerBlends;
        GLenum nSrc, nDst;
        float fAlpha;
        int nExpected;  // over a background of 64
    } aCases[] = {
        {"scene's additive backdrop", true, false, GL_SRC_ALPHA, GL_SRC_ALPHA, 1.0f, 128 + 64},
        {"half alpha, both factors alpha", true, false, GL_SRC_ALPHA, GL_SRC_ALPHA, 0.5f, 64 + 32},
        {"opaque ignores alpha and blend factors", false, false, GL_ZERO, GL_ONE, 0.0f, 128},
        {"opaque sends no alpha into the caller's blending", false, true, GL_ZERO, GL_ONE, 0.0f, 128},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszName);
        ClearTo(64.0f / 255.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (c.bCallerBlends) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        cOverlay.bBlend = c.bBlend;
        cOverlay.nBlendSrc = c.nSrc;
        cOverlay.nBlendDst = c.nDst;
        cOverlay.fColour[0] = cOverlay.fColour[1] = cOverlay.fColour[2] = 128.0f / 255.0f;
        cOverlay.fColour[3] = c.fAlpha;
        cOverlay.Build();
        cOverlay.Draw();
        EXPECT_NEAR(Pixel(kWidth / 2, kHeight / 2)[1], c.nExpected, 1);
    }
}

struct DepthCase {
    bool bBlend, bDepthWrite;
    float fDepth;
};

class OverlayDepthTest : public OverlayGlTest, public testing::WithParamInterface<DepthCase> {};

// Fragments at z = 0 write the middle of the depth range exactly when bDepthWrite says so.
TEST_P(OverlayDepthTest, DepthWritesFollowTheDepthWriteSwitch) {
    const DepthCase& c = GetParam();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    cOverlay.bBlend = c.bBlend;
    cOverlay.bDepthWrite = c.bDepthWrite;
    cOverlay.Build();
    cOverlay.Draw();
    const int aProbes[][2] = {{0, 0}, {kWidth / 2, kHeight / 2}, {kWidth - 1, kHeight - 1}};
    for (const auto& p : aProbes) EXPECT_NEAR(Depth(p[0], p[1]), c.fDepth, 1e-3) << p[0] << ", " << p[1];
    GLboolean bMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &bMask);
    EXPECT_TRUE(bMask);
}

INSTANTIATE_TEST_SUITE_P(Switches, OverlayDepthTest,
                         testing::Values(DepthCase{true, false, 1.0f}, DepthCase{false, true, 0.5f},
                                         DepthCase{true, true, 0.5f}, DepthCase{false, false, 1.0f}),
                         [](const testing::TestParamInfo<DepthCase>& info) {
                             return std::string(info.param.bBlend ? "Blend" : "Opaque") +
                                    (info.param.bDepthWrite ? "DepthWrite" : "NoDepthWrite");
                         });

TEST_F(OverlayGlTest, DrawBeforeBuildDrawsNothingAndChangesNothing) {
    GLuint anTextures[2];
    glGenTextures(2, anTextures);
    SetUnusualCallerState(anTextures[0], anTextures[1]);
    glDisable(GL_DEPTH_TEST);
    const GlStateSnapshot aBefore = TakeGlStateSnapshot();
    cOverlay.Draw();
    ExpectSameGlState(aBefore, TakeGlStateSnapshot());
    EXPECT_EQ(cContext.ReadRgbTopDown(), std::vector<uint8_t>(kWidth * kHeight * 3, 0));
    EXPECT_FALSE(cOverlay.bBuilt);
    EXPECT_EQ(cOverlay.nList, 0u);
}

TEST_F(OverlayGlTest, BuildingAgainReplacesTheList) {
    cOverlay.Build();
    const GLuint nFirst = cOverlay.nList;
    ASSERT_TRUE(glIsList(nFirst));
    // Holding the next free name makes sure the rebuilt list cannot reuse the first one's.
    const GLuint nHeld = glGenLists(1);
    cOverlay.Build();
    EXPECT_TRUE(cOverlay.bBuilt);
    EXPECT_FALSE(glIsList(nFirst)) << "the first list was left behind";
    EXPECT_TRUE(glIsList(cOverlay.nList));
    EXPECT_TRUE(glIsList(nHeld));
    cOverlay.Draw();
    EXPECT_EQ(Pixel(0, 0), std::vector<uint8_t>(3, 255));
}

TEST_F(OverlayGlTest, ReleaseDeletesTheListAndLeavesTheOverlayInert) {
    cOverlay.Build();
    const GLuint nList = cOverlay.nList;
    cOverlay.Release();
    EXPECT_FALSE(glIsList(nList));
    cOverlay.Draw();
    EXPECT_EQ(cContext.ReadRgbTopDown(), std::vector<uint8_t>(kWidth * kHeight * 3, 0));
}

class OverlayStateTest : public OverlayGlTest, public testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(OverlayStateTest, DrawLeavesEveryStateItTouchesAsItWas) {
    cOverlay.bBlend = std::get<0>(GetParam());
    cOverlay.bDepthWrite = std::get<1>(GetParam());
    cOverlay.fColour[3] = 0.5f;
    cOverlay.nBlendSrc = GL_SRC_ALPHA;
    cOverlay.nBlendDst = GL_SRC_ALPHA;
    cOverlay.Build();
    GLuint anTextures[2];
    glGenTextures(2, anTextures);
    SetUnusualCallerState(anTextures[0], anTextures[1]);
    const GlStateSnapshot aBefore = TakeGlStateSnapshot();
    cOverlay.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectSameGlState(aBefore, TakeGlStateSnapshot());
}

INSTANTIATE_TEST_SUITE_P(Switches, OverlayStateTest, testing::Combine(testing::Bool(), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "Blend" : "Opaque") +
                                    (std::get<1>(info.param) ? "DepthWrite" : "NoDepthWrite");
                         });

}  // namespace
