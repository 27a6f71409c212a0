// The tube's geometry: the ring's circle and frame, and the mesh that sweeps it along the curve.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "renderer/glass_object.h"
#include "renderer/ring.h"
#include "renderer/vector.h"

namespace {

const double kTwoPi = 6.283185307179586;

struct Vec3 {
    double x, y, z;
};
Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Len(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Position(const float* pfVertex) { return {pfVertex[0], pfVertex[1], pfVertex[2]}; }
Vec3 Normal(const CTriangle& c) { return {c.n[0], c.n[1], c.n[2]}; }
Vec3 Curve(double a, double b, double t) {
    return {a * std::cos(2 * t) + b * std::sin(t), a * std::sin(2 * t) + b * std::cos(t), a * std::cos(3 * t)};
}

bool HasNan(const CTriangle& c) {
    for (const auto& v : c.v)
        for (float f : v)
            if (std::isnan(f)) return true;
    for (float f : c.n)
        if (std::isnan(f)) return true;
    return false;
}

float HalfRadius(float) { return 0.5f; }

// Triangle 2 (i L + j) starts with sample (i, j), whatever the winding: rows of L quads, seam last.
const float* Sample(const CGlassObject& c, int i, int j) {
    return c.pcTriangleList[2 * (i * c.nRingPoints + j)].v[0];
}

void MakeTube(CGlassObject& c, float fA, float fB, int L, int M, RadiusProc pfn, bool bFlip) {
    c.fCurveA = fA;
    c.fCurveB = fB;
    c.nRingPoints = L;
    c.nSegments = M;
    c.pfnRadius = pfn;
    c.bFlipFaces = bFlip;
    c.GenerateMesh();
}

// The scene's first frame: a torus of tube radius 0.5 around the unit circle.
void MakeStartTorus(CGlassObject& c, bool bFlip = false) { MakeTube(c, 0.0f, 1.0f, 20, 200, HalfRadius, bFlip); }

TEST(VectorTest, LengthScaledAndDivided) {
    const CVector c(3.0f, -4.0f, 12.0f);
    EXPECT_FLOAT_EQ(c.Length(), 13.0f);
    EXPECT_FLOAT_EQ(c.Scaled(0.5f).Length(), 6.5f);
    EXPECT_FLOAT_EQ(c.Divided(13.0f).Length(), 1.0f);
    EXPECT_FLOAT_EQ(c.Divided(-2.0f).GetY(), 2.0f);
    EXPECT_FLOAT_EQ(CVector().Length(), 0.0f);
}

// ---- CRing ----

struct RingCase {
    const char* pszName;
    CVector cDirection;
    int nCount;
    float fRadius;
};

class RingCircleTest : public testing::TestWithParam<RingCase> {};

// Whatever the direction, the points form a circle of fRadius about the origin in the plane
// perpendicular to it, and the frame is orthonormal.
TEST_P(RingCircleTest, PointsLieOnTheCircleAcrossTheDirection) {
    const RingCase& c = GetParam();
    CRing cRing;
    cRing.nCount = c.nCount;
    cRing.fRadius = c.fRadius;
    cRing.SetNormal(c.cDirection);
    const double dLen = c.cDirection.Length();
    const Vec3 n = dLen > 0 ? Vec3{c.cDirection.x / dLen, c.cDirection.y / dLen, c.cDirection.z / dLen}
                            : Vec3{0, 0, 1};
    for (int j = 0; j < c.nCount; ++j) {
        SCOPED_TRACE(j);
        float x = NAN, y = NAN, z = NAN;
        ASSERT_TRUE(cRing.GetPoint(j, x, y, z));
        ASSERT_FALSE(std::isnan(x) || std::isnan(y) || std::isnan(z));
        const Vec3 p{x, y, z};
        EXPECT_NEAR(Len(p), c.fRadius, 1e-5 * c.fRadius);
        EXPECT_NEAR(Dot(p, n), 0.0, 1e-5 * c.fRadius);
    }
    for (int r = 0; r < 3; ++r) {
        const Vec3 a{cRing.fBasis[r][0], cRing.fBasis[r][1], cRing.fBasis[r][2]};
        const Vec3 b{cRing.fBasis[(r + 1) % 3][0], cRing.fBasis[(r + 1) % 3][1], cRing.fBasis[(r + 1) % 3][2]};
        EXPECT_NEAR(Len(a), 1.0, 1e-6) << "row " << r;
        EXPECT_NEAR(Dot(a, b), 0.0, 1e-6) << "rows " << r << ", " << (r + 1) % 3;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Directions, RingCircleTest,
    testing::Values(RingCase{"AlongX", CVector(2.0f, 0.0f, 0.0f), 8, 1.0f},
                    RingCase{"Oblique", CVector(1.0f, -2.0f, 0.5f), 20, 0.5f},
                    RingCase{"NearlyVertical", CVector(1e-4f, 0.0f, 1.0f), 12, 3.0f},
                    RingCase{"StraightUp", CVector(0.0f, 0.0f, 5.0f), 12, 2.0f},
                    RingCase{"StraightDown", CVector(0.0f, 0.0f, -1.0f), 7, 1.0f},
                    RingCase{"Zero", CVector(0.0f, 0.0f, 0.0f), 10, 1.5f},
                    RingCase{"TooSmallForFloat", CVector(1e-30f, 1e-30f, 0.0f), 6, 1.0f}),
    [](const testing::TestParamInfo<RingCase>& info) { return std::string(info.param.pszName); });

TEST(RingTest, PointZeroSitsOnTheFirstBasisRowAndTurnsTowardsTheSecond) {
    CRing cRing;
    cRing.nCount = 4;
    cRing.fRadius = 2.0f;
    cRing.SetNormal(CVector(3.0f, 0.0f, 0.0f));  // u = (0, 1, 0), v = (0, 0, 1)
    const float aExpected[4][3] = {{0, 2, 0}, {0, 0, 2}, {0, -2, 0}, {0, 0, -2}};
    for (int e = 0; e < 4; ++e) {
        SCOPED_TRACE(e);
        float x, y, z;
        ASSERT_TRUE(cRing.GetPoint(e, x, y, z));
        EXPECT_NEAR(x, aExpected[e][0], 1e-4);
        EXPECT_NEAR(y, aExpected[e][1], 1e-4);
        EXPECT_NEAR(z, aExpected[e][2], 1e-4);
    }
}

TEST(RingTest, AngleStepIsTheSinglePrecisionTurnNotTwoPi) {
    // Point 1 of 2 sits at 6.283193 / 2 rad, 3.9e-6 rad past pi: 0.039 off the axis at radius 1e4
    // (the exact 2 pi would leave it within 0.001).
    CRing cRing;
    cRing.nCount = 2;
    cRing.fRadius = 1e4f;
    cRing.SetNormal(CVector(1.0f, 0.0f, 0.0f));
    float x, y, z;
    ASSERT_TRUE(cRing.GetPoint(1, x, y, z));
    EXPECT_NEAR(y, -1e4f, 0.01f);
    EXPECT_NEAR(z, -0.0390, 0.002);
}

TEST(RingTest, PhaseTurnsPointZeroByPhaseOverCount) {
    CRing cRing;
    cRing.nCount = 4;
    cRing.fPhase = 6.283193f;  // a whole step: point 0 lands where point 1 was
    cRing.SetNormal(CVector(1.0f, 0.0f, 0.0f));
    float x, y, z;
    ASSERT_TRUE(cRing.GetPoint(0, x, y, z));
    EXPECT_NEAR(y, 0.0f, 1e-5);
    EXPECT_NEAR(z, 1.0f, 1e-5);
}

TEST(RingTest, RegeneratingGivesTheSameRing) {
    CRing cRing;
    cRing.nCount = 9;
    cRing.fRadius = 0.7f;
    cRing.SetNormal(CVector(-0.3f, 0.8f, 0.2f));
    std::vector<float> aFirst;
    for (int j = 0; j < 9; ++j) {
        float x, y, z;
        cRing.GetPoint(j, x, y, z);
        aFirst.insert(aFirst.end(), {x, y, z});
    }
    cRing.GenerateIt();
    for (int j = 0; j < 9; ++j) {
        float x, y, z;
        cRing.GetPoint(j, x, y, z);
        EXPECT_EQ(x, aFirst[3 * j]);
        EXPECT_EQ(y, aFirst[3 * j + 1]);
        EXPECT_EQ(z, aFirst[3 * j + 2]);
    }
}

struct PointIndexCase {
    int nCount;
    int j;
    bool bFound;
};

class RingGetPointTest : public testing::TestWithParam<PointIndexCase> {};

TEST_P(RingGetPointTest, FindsOnlyIndicesOfTheList) {
    const PointIndexCase& c = GetParam();
    CRing cRing;
    cRing.nCount = c.nCount;
    cRing.SetNormal(CVector(0.0f, 1.0f, 0.0f));
    float x = 7.0f, y = 8.0f, z = 9.0f;
    ASSERT_EQ(cRing.GetPoint(c.j, x, y, z), c.bFound);
    if (c.bFound) {
        EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 1.0, 1e-6);
    } else {
        EXPECT_EQ(x, 7.0f);
        EXPECT_EQ(y, 8.0f);
        EXPECT_EQ(z, 9.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, RingGetPointTest,
                         testing::Values(PointIndexCase{5, 0, true}, PointIndexCase{5, 4, true},
                                         PointIndexCase{5, 5, false}, PointIndexCase{5, -1, false},
                                         PointIndexCase{5, 1000, false}, PointIndexCase{0, 0, false},
                                         PointIndexCase{-3, 0, false}));

// ---- GenerateMesh ----

TEST(MeshTest, StartTorusRowZeroMatchesTheSceneValues) {
    CGlassObject cTube;
    MakeStartTorus(cTube);
    ASSERT_EQ(cTube.nTriangles, 8000);
    const struct {
        int j;
        float x, y, z;
    } aPoints[] = {{0, -0.0079f, 0.5001f, 0.0f}, {5, 0.0f, 1.0f, 0.5f}, {10, 0.0079f, 1.4999f, 0.0f},
                   {15, 0.0f, 1.0f, -0.5f}};
    for (const auto& p : aPoints) {
        SCOPED_TRACE(p.j);
        const float* pf = Sample(cTube, 0, p.j);
        EXPECT_NEAR(pf[0], p.x, 1e-4);
        EXPECT_NEAR(pf[1], p.y, 1e-4);
        EXPECT_NEAR(pf[2], p.z, 1e-4);
    }
    const CTriangle& cFirst = cTube.pcTriangleList[0];
    EXPECT_NEAR(cFirst.n[0], 0.0f, 1e-4);
    EXPECT_NEAR(cFirst.n[1], -0.988f, 1e-3);
    EXPECT_NEAR(cFirst.n[2], 0.156f, 1e-3);
}

class MeshWindingTest : public testing::TestWithParam<bool> {};

// Unflipped normals point away from the torus's centre line, flipped ones towards it; all are unit.
TEST_P(MeshWindingTest, NormalsFaceOutwardUnlessFlipped) {
    const bool bFlip = GetParam();
    CGlassObject cTube;
    MakeStartTorus(cTube, bFlip);
    for (int k = 0; k < cTube.nTriangles; ++k) {
        SCOPED_TRACE(k);
        const CTriangle& c = cTube.pcTriangleList[k];
        const Vec3 centroid{(c.v[0][0] + c.v[1][0] + c.v[2][0]) / 3.0, (c.v[0][1] + c.v[1][1] + c.v[2][1]) / 3.0,
                            (c.v[0][2] + c.v[1][2] + c.v[2][2]) / 3.0};
        const double dPlanar = std::hypot(centroid.x, centroid.y);
        const Vec3 axis{centroid.x / dPlanar, centroid.y / dPlanar, 0.0};
        const Vec3 outward = Sub(centroid, axis);
        EXPECT_NEAR(Len(Normal(c)), 1.0, 1e-5);
        const double dFacing = Dot(Normal(c), outward) / Len(outward);
        if (bFlip) EXPECT_LT(dFacing, -0.9);
        else EXPECT_GT(dFacing, 0.9);
        // The winding agrees with the normal: (v1 - v0) x (v2 - v0) points against it.
        const Vec3 e1 = Sub(Position(c.v[1]), Position(c.v[0]));
        const Vec3 e2 = Sub(Position(c.v[2]), Position(c.v[0]));
        const Vec3 cross{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        EXPECT_LT(Dot(cross, Normal(c)), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Winding, MeshWindingTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Flipped" : "Plain"; });

TEST(MeshTest, FlippedFacesSwapTwoVerticesAndNegateTheNormal) {
    CGlassObject cPlain, cFlipped;
    MakeTube(cPlain, 1.3f, 1.0f, 7, 30, HalfRadius, false);
    MakeTube(cFlipped, 1.3f, 1.0f, 7, 30, HalfRadius, true);
    ASSERT_EQ(cPlain.nTriangles, cFlipped.nTriangles);
    const int aFromPlain[3] = {0, 2, 1};
    for (int k = 0; k < cPlain.nTriangles; ++k) {
        SCOPED_TRACE(k);
        const CTriangle& p = cPlain.pcTriangleList[k];
        const CTriangle& f = cFlipped.pcTriangleList[k];
        for (int v = 0; v < 3; ++v)
            for (int c = 0; c < 5; ++c) ASSERT_EQ(f.v[v][c], p.v[aFromPlain[v]][c]) << "vertex " << v;
        for (int c = 0; c < 3; ++c) ASSERT_EQ(f.n[c], -p.n[c]);
    }
}

struct SizeCase {
    int L, M, nTriangles;
};

class MeshSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(MeshSizeTest, TwoTrianglesPerQuadAndOneSeamPerRow) {
    const SizeCase& c = GetParam();
    CGlassObject cTube;
    MakeTube(cTube, 0.0f, 1.0f, c.L, c.M, HalfRadius, false);
    EXPECT_EQ(cTube.nTriangles, c.nTriangles);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeshSizeTest,
                         testing::Values(SizeCase{20, 200, 8000}, SizeCase{2, 1, 4}, SizeCase{1, 3, 6},
                                         SizeCase{5, 7, 70}, SizeCase{0, 10, 0}, SizeCase{10, 0, 0},
                                         SizeCase{-2, 10, 0}));

class MeshTexCoordTest : public testing::TestWithParam<SizeCase> {};

// Row i carries t = i / M; column j carries s = j / (L + 1); the seam's far edge carries s = 1.
TEST_P(MeshTexCoordTest, CoordinatesFollowRowAndColumn) {
    const int L = GetParam().L, M = GetParam().M;
    CGlassObject cTube;
    MakeTube(cTube, 0.7f, 1.0f, L, M, HalfRadius, false);
    ASSERT_EQ(cTube.nTriangles, 2 * L * M);
    for (int i = 0; i < M; ++i) {
        for (int j = 0; j < L; ++j) {
            SCOPED_TRACE(testing::Message() << "row " << i << " column " << j);
            const CTriangle* pc = &cTube.pcTriangleList[2 * (i * L + j)];
            const float fS0 = static_cast<float>(j) / (L + 1);
            const float fS1 = j + 1 < L ? static_cast<float>(j + 1) / (L + 1) : 1.0f;
            const float fT0 = static_cast<float>(i) / M, fT1 = static_cast<float>(i + 1) / M;
            // (V0, V1, V2) then (V1, V3, V2)
            const float aExpected[2][3][2] = {{{fS0, fT0}, {fS1, fT0}, {fS0, fT1}}, {{fS1, fT0}, {fS1, fT1}, {fS0, fT1}}};
            for (int k = 0; k < 2; ++k)
                for (int v = 0; v < 3; ++v) {
                    EXPECT_FLOAT_EQ(pc[k].v[v][3], aExpected[k][v][0]) << "triangle " << k << " vertex " << v;
                    EXPECT_FLOAT_EQ(pc[k].v[v][4], aExpected[k][v][1]) << "triangle " << k << " vertex " << v;
                }
        }
    }
    EXPECT_EQ(cTube.pcTriangleList[0].v[0][4], 0.0f);
    EXPECT_EQ(cTube.pcTriangleList[cTube.nTriangles - 1].v[1][4], 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeshTexCoordTest, testing::Values(SizeCase{20, 200, 0}, SizeCase{3, 4, 0}));

TEST(MeshTest, OnePointRingsGiveOnlyDegenerateSeamTriangles) {
    CGlassObject cTube;
    MakeTube(cTube, 0.0f, 1.0f, 1, 10, HalfRadius, false);
    ASSERT_EQ(cTube.nTriangles, 20);
    for (int k = 0; k < cTube.nTriangles; ++k) {
        SCOPED_TRACE(k);
        const CTriangle& c = cTube.pcTriangleList[k];
        ASSERT_FALSE(HasNan(c));
        const Vec3 e1 = Sub(Position(c.v[1]), Position(c.v[0]));
        const Vec3 e2 = Sub(Position(c.v[2]), Position(c.v[0]));
        const Vec3 cross{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        EXPECT_EQ(Len(cross), 0.0);
    }
}

TEST(MeshTest, RowCentresFollowTheCurveAndRingsCrossIt) {
    const double a = 2.0, b = 1.0;
    const int L = 24, M = 60;
    CGlassObject cTube;
    MakeTube(cTube, static_cast<float>(a), static_cast<float>(b), L, M, HalfRadius, false);
    for (int i = 0; i < M; ++i) {
        SCOPED_TRACE(i);
        const double t = i * kTwoPi / M;
        Vec3 mean{0, 0, 0};
        for (int j = 0; j < L; ++j) {
            const float* pf = Sample(cTube, i, j);
            mean = {mean.x + pf[0] / L, mean.y + pf[1] / L, mean.z + pf[2] / L};
        }
        const Vec3 expect = Curve(a, b, t);
        EXPECT_NEAR(mean.x, expect.x, 1e-3);
        EXPECT_NEAR(mean.y, expect.y, 1e-3);
        EXPECT_NEAR(mean.z, expect.z, 1e-3);
        // The ring stands across the chord to the next sample.
        const Vec3 chord = Sub(expect, Curve(a, b, (i + 1) * kTwoPi / M));
        for (int j = 0; j < L; ++j) {
            const Vec3 spoke = Sub(Position(Sample(cTube, i, j)), expect);
            EXPECT_NEAR(Len(spoke), 0.5, 1e-3);
            EXPECT_NEAR(Dot(spoke, chord) / Len(chord), 0.0, 1e-4) << "column " << j;
        }
    }
}

TEST(MeshTest, LastRowFallsOnTheFirst) {
    CGlassObject cTube;
    MakeTube(cTube, 2.0f, 1.0f, 20, 200, HalfRadius, false);
    const int L = 20, M = 200;
    for (int j = 0; j < L; ++j) {
        SCOPED_TRACE(j);
        // Row M appears only as V2 of row M - 1's quads.
        const float* pfLast = cTube.pcTriangleList[2 * ((M - 1) * L + j)].v[2];
        const float* pfFirst = Sample(cTube, 0, j);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(pfLast[c], pfFirst[c], 1e-4);
    }
}

// The radius function sees each ring position once, at t = i / M x 2 pi.
std::vector<float> g_aRadiusCalls;
float RecordingRadius(float t) {
    g_aRadiusCalls.push_back(t);
    return 0.25f + t;
}

TEST(MeshTest, RadiusFunctionIsAskedOncePerRingAtItsCurveParameter) {
    g_aRadiusCalls.clear();
    CGlassObject cTube;
    MakeTube(cTube, 0.0f, 1.0f, 8, 16, RecordingRadius, false);
    ASSERT_EQ(g_aRadiusCalls.size(), 17u);
    for (int i = 0; i <= 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(g_aRadiusCalls[i], i / 16.0 * kTwoPi, 1e-6);
        // And the ring of row i has that radius about its centre on the unit circle.
        const double t = i / 16.0 * kTwoPi;
        const float* pf = i < 16 ? Sample(cTube, i, 3) : cTube.pcTriangleList[2 * (15 * 8 + 3)].v[2];
        EXPECT_NEAR(Len(Sub(Position(pf), Curve(0, 1, t))), 0.25 + t, 1e-4);
    }
}

struct DegenerateCase {
    const char* pszName;
    float fA, fB;
    RadiusProc pfnRadius;
};

float ZeroRadius(float) { return 0.0f; }

class MeshDegenerateTest : public testing::TestWithParam<DegenerateCase> {};

// A curve that does not move (zero directions) or a tube of no thickness still gives numbers.
TEST_P(MeshDegenerateTest, NoNanAnywhere) {
    const DegenerateCase& c = GetParam();
    CGlassObject cTube;
    MakeTube(cTube, c.fA, c.fB, 20, 200, c.pfnRadius, false);
    ASSERT_EQ(cTube.nTriangles, 8000);
    for (int k = 0; k < cTube.nTriangles; ++k) ASSERT_FALSE(HasNan(cTube.pcTriangleList[k])) << "triangle " << k;
}

INSTANTIATE_TEST_SUITE_P(Shapes, MeshDegenerateTest,
                         testing::Values(DegenerateCase{"PointCurve", 0.0f, 0.0f, HalfRadius},
                                         DegenerateCase{"ZeroRadius", 2.0f, 1.0f, ZeroRadius},
                                         DegenerateCase{"PointCurveZeroRadius", 0.0f, 0.0f, ZeroRadius}),
                         [](const testing::TestParamInfo<DegenerateCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST(MeshTest, PointCurveRingsStayRoundAboutTheOrigin) {
    CGlassObject cTube;
    MakeTube(cTube, 0.0f, 0.0f, 10, 4, HalfRadius, false);
    for (int k = 0; k < cTube.nTriangles; ++k)
        for (int v = 0; v < 3; ++v) EXPECT_NEAR(Len(Position(cTube.pcTriangleList[k].v[v])), 0.5, 1e-5);
}

// Regenerating into kept buffers gives exactly what a fresh object computes, also after a size change.
TEST(MeshTest, RegenerationMatchesAFreshObject) {
    CGlassObject cReused;
    MakeTube(cReused, 2.0f, 1.0f, 20, 200, HalfRadius, false);
    const struct {
        float fA;
        int L, M;
    } aSteps[] = {{1.5f, 20, 200}, {1.5f, 6, 9}, {0.5f, 6, 9}, {2.5f, 20, 200}};
    for (const auto& s : aSteps) {
        SCOPED_TRACE(testing::Message() << s.L << " x " << s.M << ", A = " << s.fA);
        MakeTube(cReused, s.fA, 1.0f, s.L, s.M, RecordingRadius, false);
        CGlassObject cFresh;
        MakeTube(cFresh, s.fA, 1.0f, s.L, s.M, RecordingRadius, false);
        ASSERT_EQ(cReused.nTriangles, cFresh.nTriangles);
        for (int k = 0; k < cFresh.nTriangles; ++k) {
            const CTriangle& r = cReused.pcTriangleList[k];
            const CTriangle& f = cFresh.pcTriangleList[k];
            for (int v = 0; v < 3; ++v)
                for (int c = 0; c < 5; ++c) ASSERT_EQ(r.v[v][c], f.v[v][c]) << "triangle " << k;
            for (int c = 0; c < 3; ++c) ASSERT_EQ(r.n[c], f.n[c]) << "triangle " << k;
        }
    }
}

TEST(MeshTest, WithoutRadiusFunctionTheMeshIsEmpty) {
    CGlassObject cTube;
    MakeTube(cTube, 0.0f, 1.0f, 20, 200, HalfRadius, false);
    MakeTube(cTube, 0.0f, 1.0f, 20, 200, nullptr, false);
    EXPECT_EQ(cTube.nTriangles, 0);
}

}  // namespace
