// The glass tube's mesh: a ring swept along a closed curve, its circles joined by flat-normalled
// triangles. Rebuilt on every frame from the radius function and curve amplitudes the scene animates.
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "renderer/glass_object.h"
#include "renderer/ring.h"

namespace {

// The curve is sampled with the double-precision 2 pi (the ring has its own, coarser constant).
const double kTwoPi = 6.283185307179586;
const int kSampleFloats = 5;  // x, y, z, s, t: the same layout as one vertex of a CTriangle

long double CurveParameter(int i, int nSegments) {
    return static_cast<long double>(i) / static_cast<long double>(nSegments) * kTwoPi;
}

// The curve's functions at one parameter: cos 2t, sin t, sin 2t, cos t, cos 3t.
const int kCurveTrigValues = 5;
// Far above the scene's 200; a tube of more segments works its functions out as it goes.
const int kMaxTabledSegments = 1 << 16;

void CurveTrig(long double t, long double* pld) {
    pld[0] = std::cos(2.0L * t);
    pld[1] = std::sin(t);
    pld[2] = std::sin(2.0L * t);
    pld[3] = std::cos(t);
    pld[4] = std::cos(3.0L * t);
}

// C(t) = (A cos 2t + B sin t, A sin 2t + B cos t, A cos 3t), worked out in extended precision.
CVector CurvePoint(float fA, float fB, const long double* pldTrig) {
    const long double a = fA;
    const long double b = fB;
    return CVector(static_cast<float>(a * pldTrig[0] + b * pldTrig[1]),
                   static_cast<float>(a * pldTrig[2] + b * pldTrig[3]),
                   static_cast<float>(a * pldTrig[4]));
}

void CopyVertex(float* pfTo, const float* pfFrom) { std::memcpy(pfTo, pfFrom, kSampleFloats * sizeof(float)); }

// The face normals of one strip of quads between two rings, from the rings' points as separate x, y
// and z rows of L + 1 entries (the last repeats the first, so the seam quad needs no special case).
// Quad j has corners V0 = row j, V1 = row j + 1, V2 = next row j, and carries the normal of the first
// triangle's edges V1 - V0 and V2 - V0. Each column is independent, so the loop runs several at once.
void StripNormals(const float* __restrict pfX, const float* __restrict pfY, const float* __restrict pfZ,
                  const float* __restrict pfNextX, const float* __restrict pfNextY,
                  const float* __restrict pfNextZ, int L, float fSign, float* __restrict pfNX,
                  float* __restrict pfNY, float* __restrict pfNZ) {
    for (int j = 0; j < L; ++j) {
        const float e1x = pfX[j + 1] - pfX[j], e1y = pfY[j + 1] - pfY[j], e1z = pfZ[j + 1] - pfZ[j];
        const float e2x = pfNextX[j] - pfX[j], e2y = pfNextY[j] - pfY[j], e2z = pfNextZ[j] - pfZ[j];
        const float nx = e1y * e2z - e1z * e2y;
        const float ny = e1z * e2x - e1x * e2z;
        const float nz = e1x * e2y - e1y * e2x;
        const float fLength = std::sqrt(nx * nx + ny * ny + nz * nz);
        // A degenerate quad (collapsed ring, or the lone seam of a one-point ring) faces nowhere:
        // it gets a zero normal rather than 0/0. (A NaN length fails both comparisons.)
        const bool bFaces = (fLength > 0.0f) & (fLength <= std::numeric_limits<float>::max());
        const float fX = -(nx / fLength), fY = -(ny / fLength), fZ = -(nz / fLength);
        pfNX[j] = fSign * (bFaces ? fX : 0.0f);
        pfNY[j] = fSign * (bFaces ? fY : 0.0f);
        pfNZ[j] = fSign * (bFaces ? fZ : 0.0f);
    }
}

// Two triangles of one quad with its normal: (V0, V1, V2) and (V1, V3, V2), or in the other winding.
template <bool bFlip>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void EmitQuad(const float* V0, const float* V1, const float* V2, const float* V3, const float* pfN,
              CTriangle* pcTri) {
    CopyVertex(pcTri[0].v[0], V0);
    CopyVertex(pcTri[0].v[1], bFlip ? V2 : V1);
    CopyVertex(pcTri[0].v[2], bFlip ? V1 : V2);
    CopyVertex(pcTri[1].v[0], V1);
    CopyVertex(pcTri[1].v[1], bFlip ? V2 : V3);
    CopyVertex(pcTri[1].v[2], bFlip ? V3 : V2);
    for (int k = 0; k < 2; ++k) {
        pcTri[k].n[0] = pfN[0];
        pcTri[k].n[1] = pfN[1];
        pcTri[k].n[2] = pfN[2];
    }
}

// The triangles of strip i: the quads between two rings, the seam quad last.
template <bool bFlip>
void EmitStrip(const float* pfRow, const float* pfNextRow, int L, const float* pfNX, const float* pfNY,
               const float* pfNZ, CTriangle* pcTri) {
    for (int j = 0; j + 1 < L; ++j, pcTri += 2) {
        const float afN[3] = {pfNX[j], pfNY[j], pfNZ[j]};
        EmitQuad<bFlip>(pfRow + j * kSampleFloats, pfRow + (j + 1) * kSampleFloats, pfNextRow + j * kSampleFloats,
                        pfNextRow + (j + 1) * kSampleFloats, afN, pcTri);
    }
    // The seam closes the tube: column 0 again, but at s = 1 so the texture does not run backwards.
    float W1[kSampleFloats], W3[kSampleFloats];
    CopyVertex(W1, pfRow);
    CopyVertex(W3, pfNextRow);
    W1[3] = 1.0f;
    W3[3] = 1.0f;
    const float afN[3] = {pfNX[L - 1], pfNY[L - 1], pfNZ[L - 1]};
    EmitQuad<bFlip>(pfRow + (L - 1) * kSampleFloats, W1, pfNextRow + (L - 1) * kSampleFloats, W3, afN, pcTri);
}

}  // namespace

void CGlassObject::GenerateMesh() {
    const int L = nRingPoints;
    const int M = nSegments;
    const long long nSamples = (static_cast<long long>(M) + 1) * L;
    const long long nNeeded = 2LL * L * M;
    const long long nLimit = std::numeric_limits<int>::max();
    if (L < 1 || M < 1 || !pfnRadius || nNeeded > nLimit || nSamples > nLimit) {
        // No tube can be made of this description: draw nothing rather than anything stale.
        nTriangles = 0;
        return;
    }

    if (nSamples != nGridSamples) {
        float* pfNew = new (std::nothrow) float[nSamples * kSampleFloats];
        if (!pfNew) return;  // the previous mesh is drawn again
        delete[] pfGrid;
        pfGrid = pfNew;
        nGridSamples = nSamples;
    }

    const long long nRowFloats = static_cast<long long>(L) + 1;
    const long long nPlanar = 3 * (static_cast<long long>(M) + 1) * nRowFloats + 3LL * L;
    if (nPlanar != nPlanarFloats) {
        float* pfNew = new (std::nothrow) float[nPlanar];
        if (!pfNew) return;  // the previous mesh is drawn again
        delete[] pfPlanar;
        pfPlanar = pfNew;
        nPlanarFloats = nPlanar;
    }
    // Row i of x is at pfPlanar + 3 i (L + 1), then y, then z.
    auto PlanarRow = [this, nRowFloats](int i, int nAxis) { return pfPlanar + (3LL * i + nAxis) * nRowFloats; };

    // Samples 0 .. M + 1 (the last one gives the direction at M).
    if (!pldCurveTrig || nCurveSegments != M) {
        delete[] pldCurveTrig;
        pldCurveTrig = nullptr;
        nCurveSegments = 0;
        if (M <= kMaxTabledSegments)
            pldCurveTrig = new (std::nothrow) long double[(static_cast<size_t>(M) + 2) * kCurveTrigValues];
        if (pldCurveTrig) {
            for (int i = 0; i <= M + 1; ++i)
                CurveTrig(CurveParameter(i, M), pldCurveTrig + static_cast<size_t>(i) * kCurveTrigValues);
            nCurveSegments = M;
        }
    }
    // Without room for the table the functions are worked out as they are needed.
    long double aldTrig[kCurveTrigValues];
    auto Trig = [this, M, &aldTrig](int i) -> const long double* {
        if (pldCurveTrig) return pldCurveTrig + static_cast<size_t>(i) * kCurveTrigValues;
        CurveTrig(CurveParameter(i, M), aldTrig);
        return aldTrig;
    };

    // The grid is filled before the mesh is touched, so a ring that cannot be made leaves the
    // previous mesh intact, like a grid that cannot be allocated.
    CVector cNext = CurvePoint(fCurveA, fCurveB, Trig(0));
    for (int i = 0; i <= M; ++i) {
        // C(t') of one sample is C(t) of the next: the same expression, so the same value.
        const long double t = CurveParameter(i, M);
        const CVector cCentre = cNext;
        cNext = CurvePoint(fCurveA, fCurveB, Trig(i + 1));
        // Towards the previous sample, not the next one: this fixes which way the ring's frame turns.
        // A zero d (a curve shrunk to a point) gets the ring's own fallback, the x-y plane.
        const CVector d(cCentre.x - cNext.x, cCentre.y - cNext.y, cCentre.z - cNext.z);
        // Radius and count go in before the normal, so SetNormal's generation is the final one.
        cRing.fRadius = pfnRadius(static_cast<float>(t));
        cRing.nCount = L;
        cRing.SetNormal(d);

        const float fT = static_cast<float>(i) / static_cast<float>(M);
        float* pfRow = pfGrid + static_cast<long long>(i) * L * kSampleFloats;
        float* pfX = PlanarRow(i, 0);
        float* pfY = PlanarRow(i, 1);
        float* pfZ = PlanarRow(i, 2);
        // A ring without its points (no memory for them) leaves the previous mesh.
        if (!cRing.pcVectorList) return;
        for (int j = 0; j < L; ++j) {
            float x, y, z;
            cRing.pcVectorList[j].Get(x, y, z);
            float* pfSample = pfRow + j * kSampleFloats;
            pfSample[0] = pfX[j] = x + cCentre.x;
            pfSample[1] = pfY[j] = y + cCentre.y;
            pfSample[2] = pfZ[j] = z + cCentre.z;
            // The divisor is L + 1, not L: the seam strip is the one that reaches s = 1.
            pfSample[3] = static_cast<float>(j) / static_cast<float>(L + 1);
            pfSample[4] = fT;
        }
        pfX[L] = pfX[0];
        pfY[L] = pfY[0];
        pfZ[L] = pfZ[0];
    }

    if (!pcTriangleList || nNeeded != nTriangleCapacity) {
        delete[] pcTriangleList;
        nTriangles = 0;
        nTriangleCapacity = 0;
        pcTriangleList = new (std::nothrow) CTriangle[nNeeded];
        if (!pcTriangleList) return;  // an empty mesh, still drawable
        nTriangleCapacity = nNeeded;
    }
    nTriangles = static_cast<int>(nNeeded);

    float* pfNormalX = pfPlanar + 3 * (static_cast<long long>(M) + 1) * nRowFloats;
    float* pfNormalY = pfNormalX + L;
    float* pfNormalZ = pfNormalY + L;
    const float fSign = bFlipFaces ? -1.0f : 1.0f;
    int k = 0;
    for (int i = 0; i < M; ++i) {
        const float* pfRow = pfGrid + static_cast<long long>(i) * L * kSampleFloats;
        const float* pfNextRow = pfRow + L * kSampleFloats;
        StripNormals(PlanarRow(i, 0), PlanarRow(i, 1), PlanarRow(i, 2), PlanarRow(i + 1, 0), PlanarRow(i + 1, 1),
                     PlanarRow(i + 1, 2), L, fSign, pfNormalX, pfNormalY, pfNormalZ);
        // Each strip is 2 L triangles, and there is room for all M of them.
        if (bFlipFaces)
            EmitStrip<true>(pfRow, pfNextRow, L, pfNormalX, pfNormalY, pfNormalZ, pcTriangleList + k);
        else
            EmitStrip<false>(pfRow, pfNextRow, L, pfNormalX, pfNormalY, pfNormalZ, pcTriangleList + k);
        k += 2 * L;
    }
}
