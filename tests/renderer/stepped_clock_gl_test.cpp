// A pinned moment far into the run is reached at once and is exactly the picture of a renderer that
// drew every millisecond on the way there: only the first 70 s carry state from frame to frame. The
// two layer forms draw the same pinned moments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "renderer/gl.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/stepped_scene_clock.h"

namespace {

const int kWidth = 160, kHeight = 120;

// The scene's clock for a renderer drawing flat out: the test moves it on one frame at a time.
class CWalkingClock : public ITickCount {
public:
    uint32_t GetTickCount() override { return dwNow; }
    uint32_t dwNow = 5000;
};

std::vector<uint8_t> Picture() {
    DrawFrame();
    std::vector<uint8_t> a(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, a.data());
    return a;
}

class FarMoment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cContext.Open(kWidth, kHeight)) << cContext.Error();
        bSceneFirstFrame = true;
        ResizeViewport(kWidth, kHeight);
        ASSERT_TRUE(InitRenderState());
    }
    void TearDown() override {
        SetSceneClock(nullptr);
        bSceneFirstFrame = true;
    }
    // The picture at nMs from a renderer whose frames came every millisecond through the timeline's
    // first 100 s and every nLaterStepMs after that.
    std::vector<uint8_t> WalkedPicture(uint32_t nMs, uint32_t nLaterStepMs) {
        CWalkingClock cClock;
        SetSceneClock(&cClock);
        bSceneFirstFrame = true;
        const uint32_t dwStart = cClock.dwNow;
        UpdateSceneTime();
        for (uint32_t nAt = 1; nAt < nMs; nAt += nAt < 100000 ? 1 : nLaterStepMs) {
            cClock.dwNow = dwStart + nAt;
            UpdateSceneTime();
        }
        cClock.dwNow = dwStart + nMs;
        std::vector<uint8_t> a = Picture();
        SetSceneClock(nullptr);
        return a;
    }
    std::vector<uint8_t> PinnedPicture(uint32_t nMs) {
        CSteppedSceneClock cClock;
        SetSceneClock(&cClock);
        bSceneFirstFrame = true;
        cClock.Start();
        cClock.StepTo(nMs);
        std::vector<uint8_t> a = Picture();
        SetSceneClock(nullptr);
        return a;
    }
    CEglContext cContext;
};

TEST_F(FarMoment, IsThePictureOfARendererThatDrewEveryFrameOnTheWay) {
    struct Case { uint32_t nMs, nLaterStepMs; };
    // 4,000,000 s is within a minute of the longest moment the options take (2^32 - 1 ms).
    for (const Case& c : {Case{75000, 1}, Case{1000000, 1}, Case{4000000000u, 10000}}) {
        SCOPED_TRACE(testing::Message() << c.nMs / 1000 << " s");
        const std::vector<uint8_t> aWalked = WalkedPicture(c.nMs, c.nLaterStepMs);
        const float fWalkedCurve = cSceneGlass.fCurveA;
        cSceneGlass.fCurveA = -1.0f;  // whatever a jump forgot to carry shows
        EXPECT_TRUE(PinnedPicture(c.nMs) == aWalked) << "the pinned picture is not the walked one";
        EXPECT_EQ(cSceneGlass.fCurveA, fWalkedCurve);
        EXPECT_GT(cSceneGlass.fCurveA, 2.6f) << "the morph amount was not carried past 70 s";
    }
    // A moment inside the morph still walks: the amount is that of the millisecond before it.
    EXPECT_TRUE(PinnedPicture(45000) == WalkedPicture(45000, 1));
}

// Peak signal to noise of the colour channels of two pictures, in dB (alpha, always opaque, left out).
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double dSum = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (i % 4 != 3) dSum += (a[i] - b[i]) * (a[i] - b[i]);
    const double dMse = dSum / (a.size() / 4 * 3);
    return a.size() != b.size() ? 0.0 : dMse == 0.0 ? INFINITY : 10.0 * std::log10(255.0 * 255.0 / dMse);
}

// One texture a layer moved by the texture matrix shows what the 256 precomputed frames show, tube and
// backdrop, at every phase of the timeline (a shift one step off, or a matrix left on for the
// backdrop, is far below 60 dB).
TEST_F(FarMoment, ShiftedLayersDrawThePicturesOfThePrecomputedFrames) {
    auto PicturesIn = [this](LayerForm eForm) {
        glDeleteTextures(256, anLayerTextures0);
        glDeleteTextures(256, anLayerTextures1);
        SetSceneLayerForm(eForm);
        EXPECT_FALSE(SetupScene(100000));
        std::vector<std::vector<uint8_t>> aPictures;
        for (uint32_t nSeconds : {5, 25, 45, 75, 100}) aPictures.push_back(PinnedPicture(nSeconds * 1000));
        return aPictures;
    };
    const auto aPrecomputed = PicturesIn(LayerForm::Precomputed);
    const auto aShifted = PicturesIn(LayerForm::Shifted);
    SetSceneLayerForm(LayerForm::Precomputed);
    for (size_t k = 0; k < aShifted.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "moment " << k);
        EXPECT_GE(Psnr(aShifted[k], aPrecomputed[k]), 60.0);
    }
}

}  // namespace
