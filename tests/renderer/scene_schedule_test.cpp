// The timeline: camera, drop-in, morph, tumble, texture frame and tube radius at the boundaries,
// and the clock's 64-bit arithmetic, also over a 32-bit system count that wraps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "renderer/scene.h"

namespace {

struct ScheduleCase {
    const char* pszName;
    float t;
    float fCameraZ;
    bool bDropIn;
    float fDropY;
    bool bMorph;
    float fCurveA;
    int nFrame;
};

class ScheduleAtBoundary : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleAtBoundary, GivesTheCameraMorphAndFrameOfItsWindow) {
    const ScheduleCase& c = GetParam();
    const SceneSchedule s = ComputeSchedule(c.t);
    EXPECT_FLOAT_EQ(s.fCameraZ, c.fCameraZ);
    EXPECT_EQ(s.bDropIn, c.bDropIn);
    if (c.bDropIn) EXPECT_NEAR(s.fDropY, c.fDropY, 1e-5);
    EXPECT_EQ(s.bMorph, c.bMorph);
    if (c.bMorph) EXPECT_NEAR(s.fCurveA, c.fCurveA, 1e-5);
    EXPECT_EQ(s.nFrame, c.nFrame);
    EXPECT_FLOAT_EQ(s.fRotX, 259.2f * c.t);
    EXPECT_FLOAT_EQ(s.fRotY, 90.24f * c.t);
    EXPECT_FLOAT_EQ(s.fRotZ, 215.68f * c.t);
}

const float kJustBelow01 = std::nextafter(0.1f, 0.0f);
const float kJustBelow03 = std::nextafter(0.3f, 0.0f);
const float kJustBelow07 = std::nextafter(0.7f, 0.0f);

INSTANTIATE_TEST_SUITE_P(
    Timeline, ScheduleAtBoundary,
    ::testing::Values(
        // The first frame: 5 units up, 5 in front, plain ring, both layers on frame 0.
        ScheduleCase{"start", 0.0f, -5.0f, true, 5.0f, false, 0.0f, 0},
        ScheduleCase{"drop_half_way", 0.05f, -5.0f, true, 2.5f, false, 0.0f, 100},
        ScheduleCase{"drop_last_instant", kJustBelow01, -5.0f, true, 0.0f, false, 0.0f, 199},
        ScheduleCase{"drop_over", 0.1f, -5.0f, false, 0.0f, false, 0.0f, 200 % 256},
        ScheduleCase{"pulse_starts", 0.2f, -5.0f, false, 0.0f, false, 0.0f, 400 % 256},
        ScheduleCase{"before_morph", kJustBelow03, -5.0f, false, 0.0f, false, 0.0f, 599 % 256},
        // At 0.3 the retreat and morph start from exactly -5 and 0.
        ScheduleCase{"morph_starts", 0.3f, -5.0f, false, 0.0f, true, 0.0f, 600 % 256},
        ScheduleCase{"morph_half_way", 0.5f, -9.0f, false, 0.0f, true, 0.2f * 10.0f * 0.6666667f, 1000 % 256},
        ScheduleCase{"pulse_full", 0.6f, -11.0f, false, 0.0f, true, 0.3f * 10.0f * 0.6666667f, 1200 % 256},
        ScheduleCase{"morph_last_instant", kJustBelow07, -13.0f, false, 0.0f, true, 8.0f / 3.0f, 1399 % 256},
        // From 0.7 the camera stays at -13 and the morph is no longer written.
        // 0.7 in single precision is a hair below 0.7, so 2000 t is just under 1400.
        ScheduleCase{"morph_over", 0.7f, -13.0f, false, 0.0f, false, 0.0f, 1399 % 256},
        ScheduleCase{"timeline_over", 1.0f, -13.0f, false, 0.0f, false, 0.0f, 2000 % 256},
        ScheduleCase{"long_after", 5.0f, -13.0f, false, 0.0f, false, 0.0f, 10000 % 256}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return std::string(info.param.pszName); });

TEST(TextureFrame, AdvancesEvery50MsAndWrapsEvery12_8Seconds) {
    struct {
        uint32_t nMs;
        int nFrame;
    } aCases[] = {{0, 0}, {49, 0}, {75, 1}, {12775, 255}, {12799, 255}, {12800, 0}, {12875, 1}, {25600, 0}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.nMs);
        EXPECT_EQ(ComputeSchedule(SceneTimeFromTicks(0, c.nMs, 100000)).nFrame, c.nFrame);
    }
}

TEST(SceneTime, IsElapsedOverThePeriodAndNeverStartsAgain) {
    EXPECT_FLOAT_EQ(SceneTimeFromTicks(1000, 1000, 100000), 0.0f);
    EXPECT_FLOAT_EQ(SceneTimeFromTicks(1000, 31000, 100000), 0.3f);
    EXPECT_FLOAT_EQ(SceneTimeFromTicks(5000, 5000 + (uint64_t{1} << 32), 100000), 42949.67296f);
    EXPECT_FLOAT_EQ(SceneTimeFromTicks(5000, 4999, 100000), 0.0f) << "a reading before the start is the start";
}

// ::GetTickCount wraps every 49.7 days; the count the scene reads goes on.
TEST(WideningTickCount, CountsOnAcrossEveryWrapOfThe32BitCount) {
    CFixedTickCount32 cClock(0xFFFFFFF0u);
    EXPECT_EQ(cClock.GetTickCount64(), 0xFFFFFFF0u);
    const struct {
        uint32_t dwReading;
        uint64_t nWide;
    } aReadings[] = {{0x10u, 0x100000010u}, {0x10u, 0x100000010u}, {0x80000000u, 0x180000000u},
                     {0xFFFFFFFFu, 0x1FFFFFFFFu}, {0u, 0x200000000u}, {5u, 0x200000005u}};
    for (const auto& c : aReadings) {
        SCOPED_TRACE(c.dwReading);
        cClock.Set(c.dwReading);
        EXPECT_EQ(cClock.GetTickCount64(), c.nWide);
    }
}

struct RadiusCase {
    float t;
    float x;
    double dExpected;
};

TEST(SceneRingRadius, IsHalfUntil20sThenPulsesWithGrowingAmplitude) {
    const double kPi = 3.14159265358979323846;
    const RadiusCase aCases[] = {
        {0.0f, 0.0f, 0.5},
        {std::nextafter(0.2f, 0.0f), 1.0f, 0.5},
        // At 0.2 the amplitude is (t - 0.2) x 0.5 = 0.
        {0.2f, 1.3f, 0.5},
        // Amplitude 0.1 at 0.4 (the wave's phase 121 rad is near its crest), 0.2 from 0.6 on.
        {0.4f, 0.25f, 0.599881515},
        {0.6f, 0.0f, 0.339768617},
        {0.9f, static_cast<float>(kPi / 8), 0.696876390},
    };
    nScenePeriod = 100000;
    for (const RadiusCase& c : aCases) {
        SCOPED_TRACE(testing::Message() << "t=" << c.t << " x=" << c.x);
        fSceneTime = c.t;
        nSceneElapsedMs = static_cast<uint64_t>(std::llround(c.t * 100000.0));
        EXPECT_NEAR(SceneRingRadius(c.x), c.dExpected, 1e-6);
    }
    // The two pulsing pieces meet at 0.6.
    fSceneTime = std::nextafter(0.6f, 0.0f);
    const float fBelow = SceneRingRadius(0.7f);
    fSceneTime = 0.6f;
    EXPECT_NEAR(SceneRingRadius(0.7f), fBelow, 1e-3);
    fSceneTime = 0.0f;
}

// The clock as the frames see it: latched on the first frame, the morph kept after its window.
class SceneClock : public ::testing::Test {
protected:
    void SetUp() override {
        bSceneFirstFrame = true;
        nScenePeriod = 100000;
        nSceneElapsedMs = 0;
        cSceneGlass.fCurveA = 0.0f;
        SetSceneClock(&cClock);
    }
    void TearDown() override {
        SetSceneClock(nullptr);
        bSceneFirstFrame = true;
    }
    // The Windows renderer's clock: the 32-bit system count, widened. It starts just below its wrap.
    CFixedTickCount32 cClock{0xFFFF0000u};
};

TEST_F(SceneClock, LatchesOnTheFirstFrameSoThatFrameIsAtZero) {
    EXPECT_EQ(UpdateSceneTime().nFrame, 0);
    EXPECT_FLOAT_EQ(fSceneTime, 0.0f);
    EXPECT_EQ(nSceneStartMs, 0xFFFF0000u);
    cClock.Advance(10000);  // across the wrap of the tick counter
    UpdateSceneTime();
    EXPECT_FLOAT_EQ(fSceneTime, 0.1f);
}

TEST_F(SceneClock, KeepsTheLastMorphAmountAfter70sAndGoesOnPastThe32BitWrapOfTheElapsedCount) {
    UpdateSceneTime();
    cClock.Advance(20000);
    UpdateSceneTime();
    EXPECT_FLOAT_EQ(cSceneGlass.fCurveA, 0.0f) << "no morph before 30 s";
    cClock.Advance(49990);  // 69.99 s
    UpdateSceneTime();
    const float fLast = cSceneGlass.fCurveA;
    EXPECT_NEAR(fLast, 2.666f, 1e-5) << "39.99 s into the 40 s morph: just short of its final 8/3";
    cClock.Advance(30010);  // 100 s: nothing resets
    UpdateSceneTime();
    EXPECT_FLOAT_EQ(cSceneGlass.fCurveA, fLast);
    EXPECT_EQ(ComputeSchedule(fSceneTime).fCameraZ, -13.0f);
    // A renderer drawing on past 2^32 ms (49.7 days) after its start: no drop-in, no morph again.
    for (int n = 1; n <= 5; ++n) {
        cClock.Advance(1u << 30);
        UpdateSceneTime();
    }
    cClock.Advance(5000);
    const SceneSchedule s = UpdateSceneTime();
    EXPECT_EQ(nSceneElapsedMs, (uint64_t{5} << 30) + 105000u);
    EXPECT_FLOAT_EQ(fSceneTime, 53688.1412f);
    EXPECT_FALSE(s.bDropIn);
    EXPECT_FALSE(s.bMorph);
    EXPECT_EQ(s.fCameraZ, -13.0f);
    EXPECT_FLOAT_EQ(cSceneGlass.fCurveA, fLast);
}

}  // namespace
