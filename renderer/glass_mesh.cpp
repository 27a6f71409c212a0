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

// C(t) = (A cos 2t + B sin t, A sin 2t + B cos t, A cos 3t), worked out in extended precision.
CVector CurvePoint(float fA, float fB, long double t) {
    const long double a = fA;
    const long double b = fB;
    return CVector(static_cast<float>(a * std::cos(2.0L * t) + b * std::sin(t)),
                   static_cast<float>(a * std::sin(2.0L * t) + b * std::cos(t)),
                   static_cast<float>(a * std::cos(3.0L * t)));
}

void CopyVertex(float* pfTo, const float* pfFrom) { std::memcpy(pfTo, pfFrom, kSampleFloats * sizeof(float)); }

// Two triangles of one quad, both carrying the normal of the first triangle's edges.
void EmitQuad(const float* V0, const float* V1, const float* V2, const float* V3, bool bFlip, CTriangle* pcTri) {
    const CVector e1(V1[0] - V0[0], V1[1] - V0[1], V1[2] - V0[2]);
    const CVector e2(V2[0] - V0[0], V2[1] - V0[1], V2[2] - V0[2]);
    const CVector n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
    // A degenerate quad (collapsed ring, or the lone seam of a one-point ring) faces nowhere:
    // it gets a zero normal rather than 0/0.
    CVector N;
    const float fLength = n.Length();
    if (fLength > 0.0f && std::isfinite(fLength)) {
        const CVector u = n.Divided(fLength);
        N.Set(-u.x, -u.y, -u.z);
    }
    if (bFlip) N.Set(-N.x, -N.y, -N.z);

    const float* aOrder[2][3] = {{V0, V1, V2}, {V1, V3, V2}};
    const float* aFlipped[2][3] = {{V0, V2, V1}, {V1, V2, V3}};
    for (int k = 0; k < 2; ++k) {
        for (int v = 0; v < 3; ++v) CopyVertex(pcTri[k].v[v], bFlip ? aFlipped[k][v] : aOrder[k][v]);
        N.Get(pcTri[k].n[0], pcTri[k].n[1], pcTri[k].n[2]);
    }
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

    // The grid is filled before the mesh is touched, so a ring that cannot be made leaves the
    // previous mesh intact, like a grid that cannot be allocated.
    CRing cRing;
    CVector cNext = CurvePoint(fCurveA, fCurveB, CurveParameter(0, M));
    for (int i = 0; i <= M; ++i) {
        // C(t') of one sample is C(t) of the next: the same expression, so the same value.
        const long double t = CurveParameter(i, M);
        const CVector cCentre = cNext;
        cNext = CurvePoint(fCurveA, fCurveB, CurveParameter(i + 1, M));
        // Towards the previous sample, not the next one: this fixes which way the ring's frame turns.
        // A zero d (a curve shrunk to a point) gets the ring's own fallback, the x-y plane.
        const CVector d(cCentre.x - cNext.x, cCentre.y - cNext.y, cCentre.z - cNext.z);
        // Radius and count go in before the normal, so SetNormal's generation is the final one.
        cRing.fRadius = pfnRadius(static_cast<float>(t));
        cRing.nCount = L;
        cRing.SetNormal(d);

        const float fT = static_cast<float>(i) / static_cast<float>(M);
        float* pfRow = pfGrid + static_cast<long long>(i) * L * kSampleFloats;
        for (int j = 0; j < L; ++j) {
            float x, y, z;
            if (!cRing.GetPoint(j, x, y, z)) return;
            float* pfSample = pfRow + j * kSampleFloats;
            pfSample[0] = x + cCentre.x;
            pfSample[1] = y + cCentre.y;
            pfSample[2] = z + cCentre.z;
            // The divisor is L + 1, not L: the seam strip is the one that reaches s = 1.
            pfSample[3] = static_cast<float>(j) / static_cast<float>(L + 1);
            pfSample[4] = fT;
        }
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

    int k = 0;
    for (int i = 0; i < M; ++i) {
        const float* pfRow = pfGrid + static_cast<long long>(i) * L * kSampleFloats;
        const float* pfNextRow = pfRow + L * kSampleFloats;
        for (int j = 0; j + 1 < L && k < nTriangles; ++j, k += 2) {
            EmitQuad(pfRow + j * kSampleFloats, pfRow + (j + 1) * kSampleFloats, pfNextRow + j * kSampleFloats,
                     pfNextRow + (j + 1) * kSampleFloats, bFlipFaces, pcTriangleList + k);
        }
        if (k >= nTriangles) break;
        // The seam closes the tube: column 0 again, but at s = 1 so the texture does not run backwards.
        float W1[kSampleFloats], W3[kSampleFloats];
        CopyVertex(W1, pfRow);
        CopyVertex(W3, pfNextRow);
        W1[3] = 1.0f;
        W3[3] = 1.0f;
        EmitQuad(pfRow + (L - 1) * kSampleFloats, W1, pfNextRow + (L - 1) * kSampleFloats, W3, bFlipFaces,
                 pcTriangleList + k);
        k += 2;
    }
}
