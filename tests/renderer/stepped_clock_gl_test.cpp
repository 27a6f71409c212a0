// A pinned moment far into the run is reached at once and is exactly the picture of a renderer that
// drew every millisecond on the way there: only the first 70 s carry state from frame to frame. Days
// and years into a run the tube turns, pulses and steps its texture as the exact elapsed time says. The
// two layer forms draw the same pinned moments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "renderer/gl.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/scene_view.h"
#include "renderer/stepped_scene_clock.h"

namespace {

const int kWidth = 160, kHeight = 120;

// The scene's clock for a renderer drawing flat out: the test moves it on one frame at a time.
class CWalkingClock : public ITickCount {
public:
    uint64_t GetTickCount64() override { return nNow; }
    uint64_t nNow = 5000;
};

std::vector<uint8_t> Drawn() {
    std::vector<uint8_t> a(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, a.data());
    return a;
}

std::vector<uint8_t> Picture() {
    DrawFrame();
    return Drawn();
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
    std::vector<uint8_t> WalkedPicture(uint64_t nMs, uint64_t nLaterStepMs) {
        CWalkingClock cClock;
        SetSceneClock(&cClock);
        bSceneFirstFrame = true;
        const uint64_t nStart = cClock.nNow;
        UpdateSceneTime();
        for (uint64_t nAt = 1; nAt < nMs; nAt += nAt < 100000 ? 1 : nLaterStepMs) {
            cClock.nNow = nStart + nAt;
            UpdateSceneTime();
        }
        cClock.nNow = nStart + nMs;
        std::vector<uint8_t> a = Picture();
        SetSceneClock(nullptr);
        return a;
    }
    std::vector<uint8_t> PinnedPicture(uint64_t nMs) {
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
    struct Case { uint64_t nMs, nLaterStepMs; };
    // The last case is the longest moment the options take, ten years.
    for (const Case& c : {Case{75000, 1}, Case{1000000, 1}, Case{kLongestSceneMs, 1000000}}) {
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

// Nothing drawn across the morph's end (a display off, a hidden page): the first frame after it shows
// the tube a renderer drawing all along would, on its own and through a second view of the scene.
TEST_F(FarMoment, AStretchWithoutFramesAcrossTheMorphsEndEndsInTheShapeOfDrawingAllAlong) {
    const std::vector<uint8_t> aPinned = PinnedPicture(80000);
    for (const uint64_t nLastSeenMs : {0u, 35000u, 68000u}) {
        SCOPED_TRACE(testing::Message() << "last frame at " << nLastSeenMs << " ms");
        CWalkingClock cClock;
        SetSceneClock(&cClock);
        bSceneFirstFrame = true;
        const uint64_t nStart = cClock.nNow;
        Picture();
        cClock.nNow = nStart + nLastSeenMs;
        Picture();
        const SSceneViewState seen = SceneViewState();
        cClock.nNow = nStart + 80000;
        // A monitor's view that last drew when the main one did, then the main view itself.
        CSceneView cView(kWidth, kHeight);
        cView.Draw(kWidth, kHeight);
        EXPECT_TRUE(Drawn() == aPinned) << "the view went on with the shape of its last frame";
        SetSceneViewState(seen);
        EXPECT_TRUE(Picture() == aPinned) << "the renderer went on with the shape of its last frame";
        SetSceneClock(nullptr);
    }
}

// What the scene drew the tube with: the modelview matrix and the radius at each point of the curve.
GLfloat afSeenModelview[16];
std::vector<std::pair<float, float>> aSeenRadii;

float SeenRadius(float x) {
    glGetFloatv(GL_MODELVIEW_MATRIX, afSeenModelview);
    const float fRadius = SceneRingRadius(x);
    aSeenRadii.emplace_back(x, fRadius);
    return fRadius;
}

// The settled scene e ms after its start, worked out here in extended precision: the tumble at the
// single-precision rates the first 70 s turn by, the camera 13 back, the pulse's phase 300 e / 100000.
void ExpectExactScene(uint64_t e) {
    const long double kPi = std::acos(-1.0L);
    long double aldAngle[3];
    const float afRate[3] = {259.2f, 90.24f, 215.68f};
    for (int k = 0; k < 3; ++k)
        aldAngle[k] = std::fmod(static_cast<long double>(afRate[k]) * e / 100000.0L, 360.0L) * kPi / 180.0L;
    const long double cx = std::cos(aldAngle[0]), sx = std::sin(aldAngle[0]);
    const long double cy = std::cos(aldAngle[1]), sy = std::sin(aldAngle[1]);
    const long double cz = std::cos(aldAngle[2]), sz = std::sin(aldAngle[2]);
    // Rx Ry Rz by rows; GL keeps the matrix by columns, the translation in the last.
    const long double r[3][3] = {{cy * cz, -cy * sz, sy},
                                 {sx * sy * cz + cx * sz, -sx * sy * sz + cx * cz, -sx * cy},
                                 {-cx * sy * cz + sx * sz, cx * sy * sz + sx * cz, cx * cy}};
    for (int nRow = 0; nRow < 4; ++nRow)
        for (int nColumn = 0; nColumn < 4; ++nColumn) {
            const long double ldWant = nRow < 3 && nColumn < 3 ? r[nRow][nColumn]
                                     : nRow == 2 && nColumn == 3 ? -13.0L
                                     : nRow == nColumn           ? 1.0L
                                                                 : 0.0L;
            EXPECT_NEAR(afSeenModelview[nColumn * 4 + nRow], static_cast<double>(ldWant), 2e-5)
                << "modelview row " << nRow << " column " << nColumn;
        }
    const int nFrame = static_cast<int>(e / 50 % 256);
    EXPECT_EQ(cSceneGlass.nLayerFrame[0], nFrame);
    EXPECT_EQ(cSceneGlass.nLayerFrame[1], nFrame);
    const long double ldPhase = std::fmod(300.0L * e / 100000.0L, 2.0L * kPi);
    ASSERT_FALSE(aSeenRadii.empty());
    for (const auto& seen : aSeenRadii) {
        const long double ldWant = 0.5L + 0.2L * std::sin(ldPhase + 4.0L * seen.first);
        ASSERT_NEAR(seen.second, static_cast<double>(ldWant), 1e-6) << "radius at " << seen.first;
    }
}

TEST_F(FarMoment, DaysAndYearsInTheTubeTurnsAndPulsesByTheExactTimeAndEveryFrameMoves) {
    CSteppedSceneClock cClock;
    SetSceneClock(&cClock);
    cSceneGlass.pfnRadius = SeenRadius;
    cClock.Start();
    const uint64_t kDay = 86400000;
    // Three frames 1/60 s apart (17 and 16 ms, to the millisecond) ending at each moment.
    for (const uint64_t nMoment : {3 * kDay + 17, 30 * kDay + 333, 365 * kDay + 41, kLongestSceneMs}) {
        std::vector<uint8_t> aLast;
        for (const uint64_t nBack : {33u, 16u, 0u}) {
            const uint64_t e = nMoment - nBack;
            SCOPED_TRACE(testing::Message() << e << " ms");
            cClock.StepTo(e);
            aSeenRadii.clear();
            const std::vector<uint8_t> aPicture = Picture();
            ExpectExactScene(e);
            if (!aLast.empty()) {
                EXPECT_FALSE(aPicture == aLast) << "the same picture as the frame before";
            }
            aLast = aPicture;
        }
    }
    cSceneGlass.pfnRadius = SceneRingRadius;
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
