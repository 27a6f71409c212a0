// Out of memory in the geometry and the layer lists: each failure leaves something drawable.
//
// The renderer allocates with new (std::nothrow); this file replaces that one operator for the
// whole test program, passing every request through to malloc (as libstdc++'s own operators do)
// unless a test has armed a failure for a range of sizes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "renderer/glass_object.h"
#include "renderer/ring.h"

namespace {

struct FailureWindow {
    bool bArmed = false;
    std::size_t nMinBytes = 0, nMaxBytes = 0;
    int nFailures = 0;
};
FailureWindow g_cFailure;

// Fails every nothrow array allocation of nMin .. nMax bytes while it lives.
class FailAllocations {
public:
    FailAllocations(std::size_t nMin, std::size_t nMax) { g_cFailure = {true, nMin, nMax, 0}; }
    ~FailAllocations() { g_cFailure.bArmed = false; }
    int Failures() const { return g_cFailure.nFailures; }
};

}  // namespace

void* operator new[](std::size_t nBytes, const std::nothrow_t&) noexcept {
    if (g_cFailure.bArmed && nBytes >= g_cFailure.nMinBytes && nBytes <= g_cFailure.nMaxBytes) {
        ++g_cFailure.nFailures;
        return nullptr;
    }
    return std::malloc(nBytes ? nBytes : 1);
}

// The other array forms come from malloc and go back to free as well, so every new[] meets the
// delete[] of the same family (AddressSanitizer checks that pairing).
void* operator new[](std::size_t nBytes) {
    if (void* p = std::malloc(nBytes ? nBytes : 1)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

float HalfRadius(float) { return 0.5f; }

void Describe(CGlassObject& c, int L, int M) {
    c.fCurveA = 1.0f;
    c.fCurveB = 1.0f;
    c.nRingPoints = L;
    c.nSegments = M;
    c.pfnRadius = HalfRadius;
}

std::vector<float> Copy(const CGlassObject& c) {
    const float* pf = reinterpret_cast<const float*>(c.pcTriangleList);
    return std::vector<float>(pf, pf + c.nTriangles * sizeof(CTriangle) / sizeof(float));
}

const std::size_t kTriangleBytes = sizeof(CTriangle);
const std::size_t kGridSampleBytes = 5 * sizeof(float);

// The list is kept while the count stays; a new count needs a new list, and that one fails here.
TEST(RingAllocationTest, AFailedListLeavesNoPointsAndTheCountAsItWas) {
    CRing cRing;
    cRing.nCount = 5;
    cRing.SetNormal(CVector(1.0f, 0.0f, 0.0f));
    ASSERT_NE(cRing.pcVectorList, nullptr);
    cRing.nCount = 6;
    FailAllocations cFail(6 * sizeof(CVector), 6 * sizeof(CVector));
    cRing.GenerateIt();
    EXPECT_EQ(cFail.Failures(), 1);
    EXPECT_EQ(cRing.nCount, 6);
    EXPECT_EQ(cRing.pcVectorList, nullptr);
    for (int j = 0; j < 6; ++j) {
        float x = 3.0f, y = 3.0f, z = 3.0f;
        EXPECT_FALSE(cRing.GetPoint(j, x, y, z)) << j;
        EXPECT_EQ(x, 3.0f);
    }
}

struct MeshFailureCase {
    const char* pszName;
    std::size_t nMinBytes, nMaxBytes;  // which allocations fail while the new size is generated
    bool bKeepsPreviousMesh;           // otherwise the mesh is left empty
};

class MeshAllocationTest : public testing::TestWithParam<MeshFailureCase> {};

// A 20 x 200 mesh exists; regenerating at 10 x 50 (new grid, new triangle list) runs out of memory.
TEST_P(MeshAllocationTest, FailureLeavesADrawableMesh) {
    const MeshFailureCase& c = GetParam();
    CGlassObject cTube;
    Describe(cTube, 20, 200);
    cTube.GenerateMesh();
    ASSERT_EQ(cTube.nTriangles, 8000);
    const std::vector<float> aPrevious = Copy(cTube);

    Describe(cTube, 10, 50);
    {
        FailAllocations cFail(c.nMinBytes, c.nMaxBytes);
        cTube.GenerateMesh();
        EXPECT_GE(cFail.Failures(), 1);
    }
    if (c.bKeepsPreviousMesh) {
        ASSERT_EQ(cTube.nTriangles, 8000);
        EXPECT_EQ(Copy(cTube), aPrevious);
    } else {
        EXPECT_EQ(cTube.nTriangles, 0);
    }
    // Memory back: the next frame has its mesh again.
    cTube.GenerateMesh();
    EXPECT_EQ(cTube.nTriangles, 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MeshAllocationTest,
    testing::Values(MeshFailureCase{"Grid", 51 * 10 * kGridSampleBytes, 51 * 10 * kGridSampleBytes, true},
                    MeshFailureCase{"Ring", 10 * sizeof(CVector), 10 * sizeof(CVector), true},
                    MeshFailureCase{"Triangles", 1000 * kTriangleBytes, 1000 * kTriangleBytes, false}),
    [](const testing::TestParamInfo<MeshFailureCase>& info) { return std::string(info.param.pszName); });

TEST(GlassLayerAllocationTest, FailedListReportsOneAndLeavesTheLayerEmpty) {
    CGlassObject cObject;
    const GLuint anNames[4] = {1, 2, 3, 4};
    ASSERT_EQ(cObject.SetLayerTextures(1, anNames, 2), 0);
    cObject.SelectLayerFrame(1, 1);
    {
        FailAllocations cFail(4 * sizeof(GLuint), 4 * sizeof(GLuint));
        EXPECT_EQ(cObject.SetLayerTextures(1, anNames, 4), 1);
    }
    EXPECT_EQ(cObject.pnLayerTextures[1], nullptr);
    EXPECT_EQ(cObject.nLayerCount[1], 0);
    cObject.SelectLayerFrame(1, 0);  // nothing to select in an empty layer
    EXPECT_EQ(cObject.nLayerFrame[1], 1);
}

}  // namespace
