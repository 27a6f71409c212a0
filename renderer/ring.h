// One circle of the tube: nCount points of radius fRadius in the plane perpendicular to cNormal.
#pragma once
#include "renderer/vector.h"

class CRing {
public:
    CRing() = default;
    ~CRing();
    CRing(const CRing&) = delete;
    CRing& operator=(const CRing&) = delete;

    void SetNormal(CVector d);
    void GenerateIt();
    bool GetPoint(int j, float& x, float& y, float& z) const;

    CVector cNormal;
    int nCount = 0;
    CVector* pcVectorList = nullptr;
    float fRadius = 1.0f;
    float fPhase = 0.0f;
    float fBasis[3][3] = {};

private:
    // The cosine and sine of every point's angle, kept while the count and phase stay: a tube asks
    // for the same circle two hundred times a frame, only turned and scaled.
    float* pfTurn = nullptr;  // cos, sin of point 0, then of point 1, ...
    int nTurnCount = 0;
    float fTurnPhase = 0.0f;
    int nListCount = 0;       // points allocated at pcVectorList
};
