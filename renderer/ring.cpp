// One circle of the tube, built in the plane perpendicular to its direction and centred on the origin.
#include "renderer/ring.h"

#include <cmath>
#include <new>

namespace {

// The angle step is this single-precision value, a hair above 2 pi: point e sits at e * 6.283193 / n.
const float kRingTurn = 6.283193f;

// Below this x*x + y*y the v row of the frame overflows float before it can be normalised. Such a
// direction lies within 1e-15 rad of the z axis, where the fallback frame is as good as exact.
const float kMinPlanarSquare = 1e-30f;

CVector Normalised(const CVector& c) { return c.Divided(c.Length()); }

}  // namespace

CRing::~CRing() {
    delete[] pcVectorList;
    delete[] pfTurn;
}

void CRing::SetNormal(CVector d) {
    cNormal = d;
    GenerateIt();
}

void CRing::GenerateIt() {
    // A negative count cannot be allocated: the ring stays without a list, as after a failed allocation.
    if (nCount < 0 || !pcVectorList || nCount != nListCount) {
        delete[] pcVectorList;
        pcVectorList = nullptr;
        nListCount = 0;
        if (nCount < 0) return;
        pcVectorList = new (std::nothrow) CVector[nCount];
        if (!pcVectorList) return;
        nListCount = nCount;
    }
    if (!pfTurn || nTurnCount != nCount || fTurnPhase != fPhase) {
        delete[] pfTurn;
        nTurnCount = 0;
        pfTurn = new (std::nothrow) float[2 * static_cast<size_t>(nCount) + 1];
        if (pfTurn) {
            for (int e = 0; e < nCount; ++e) {
                const float fAngle = (static_cast<float>(e) * kRingTurn + fPhase) / static_cast<float>(nCount);
                pfTurn[2 * e] = std::cos(fAngle);
                pfTurn[2 * e + 1] = std::sin(fAngle);
            }
            nTurnCount = nCount;
            fTurnPhase = fPhase;
        }
    }

    // cNormal keeps what the caller stored, so generating twice gives the same ring twice.
    // A zero (or unusable) direction has no plane; the x-y plane is as good a choice as any.
    const float fLength = cNormal.Length();
    const CVector n = (fLength > 0.0f && std::isfinite(fLength)) ? cNormal.Divided(fLength)
                                                                 : CVector(0.0f, 0.0f, 1.0f);
    const float g = n.x * n.x + n.y * n.y;
    CVector u, v;
    if (g > kMinPlanarSquare) {
        u.Set(-n.y, n.x, 0.0f);
        v.Set(-(n.x * n.z) / g, -(n.y * n.z) / g, 1.0f);
    } else {
        // Along the z axis the formula has no value; use its limit as the direction tilts towards +x,
        // which keeps u x v = w as everywhere else.
        u.Set(0.0f, 1.0f, 0.0f);
        v.Set(n.z < 0.0f ? 1.0f : -1.0f, 0.0f, 0.0f);
    }
    u = Normalised(u);
    v = Normalised(v);
    const CVector w = Normalised(n);
    const CVector aRows[3] = {u, v, w};
    for (int r = 0; r < 3; ++r) {
        fBasis[r][0] = aRows[r].x;
        fBasis[r][1] = aRows[r].y;
        fBasis[r][2] = aRows[r].z;
    }

    for (int e = 0; e < nCount; ++e) {
        float fCos, fSin;
        if (pfTurn) {
            fCos = pfTurn[2 * e];
            fSin = pfTurn[2 * e + 1];
        } else {
            const float fAngle = (static_cast<float>(e) * kRingTurn + fPhase) / static_cast<float>(nCount);
            fCos = std::cos(fAngle);
            fSin = std::sin(fAngle);
        }
        // The circle's z is 0, so the w row adds nothing.
        pcVectorList[e].Set(fCos * u.x + fSin * v.x, fCos * u.y + fSin * v.y, fCos * u.z + fSin * v.z);
        pcVectorList[e] = pcVectorList[e].Scaled(fRadius);
    }
}

bool CRing::GetPoint(int j, float& x, float& y, float& z) const {
    if (j < 0 || j >= nCount || !pcVectorList) return false;
    pcVectorList[j].Get(x, y, z);
    return true;
}
