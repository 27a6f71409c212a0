// A second view of the scene on a real GL context: it draws what a renderer of its size alone would,
// from its own run of frames, and hands the main view its state, viewport and projection back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "renderer/gl.h"
#include "renderer/offscreen/egl_context.h"
#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "renderer/scene_view.h"
#include "renderer/stepped_scene_clock.h"

namespace {

const int kMainWidth = 320, kMainHeight = 240;
const int kViewWidth = 200, kViewHeight = 100;

// The bottom-left kViewWidth x kViewHeight pixels, where a view's viewport lies in this one target.
std::vector<uint8_t> ViewPixels() {
    std::vector<uint8_t> a(static_cast<size_t>(kViewWidth) * kViewHeight * 4);
    glReadPixels(0, 0, kViewWidth, kViewHeight, GL_RGBA, GL_UNSIGNED_BYTE, a.data());
    return a;
}

std::vector<GLfloat> Projection() {
    std::vector<GLfloat> a(16);
    glGetFloatv(GL_PROJECTION_MATRIX, a.data());
    return a;
}

TEST(SceneView, DrawsWithItsOwnMorphAmountAndGivesTheMainViewBack) {
    CEglContext cContext;
    ASSERT_TRUE(cContext.Open(kMainWidth, kMainHeight)) << cContext.Error();
    CSteppedSceneClock cClock;
    bSceneFirstFrame = true;
    SetSceneClock(&cClock);
    ResizeViewport(kMainWidth, kMainHeight);
    ASSERT_TRUE(InitRenderState());
    const std::vector<GLfloat> aMainProjection = Projection();
    // 75 s: the shape is the morph amount the frames before 70 s left behind.
    cClock.Start();
    cClock.StepTo(75000);
    const float fCarried = cSceneGlass.fCurveA;
    ASSERT_GT(fCarried, 2.6f);

    // What a renderer of the view's size alone shows at this moment.
    ResizeViewport(kViewWidth, kViewHeight);
    DrawFrame();
    const std::vector<uint8_t> aAlone = ViewPixels();
    ResizeViewport(kMainWidth, kMainHeight);

    CSceneView cView(kViewWidth, kViewHeight);
    cView.Draw(kMainWidth, kMainHeight);
    EXPECT_TRUE(ViewPixels() == aAlone) << "the view's first frame is not the lone renderer's";

    // The main view's run goes another way (as a view made later, or one that skipped frames, would
    // differ): the second view keeps its own amount, and the main view gets its own back.
    cSceneGlass.fCurveA = 1.0f;
    cView.Draw(kMainWidth, kMainHeight);
    EXPECT_TRUE(ViewPixels() == aAlone) << "the view drew with the main view's morph amount";
    EXPECT_EQ(cSceneGlass.fCurveA, 1.0f);
    GLint anViewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, anViewport);
    EXPECT_EQ(anViewport[2], kMainWidth);
    EXPECT_EQ(anViewport[3], kMainHeight);
    EXPECT_EQ(Projection(), aMainProjection);
    SetSceneClock(nullptr);
    bSceneFirstFrame = true;
}

}  // namespace
