// The renderer's small 3-vector.
#pragma once
#include <cmath>

class CVector {
public:
    CVector() = default;
    CVector(float fX, float fY, float fZ) : x(fX), y(fY), z(fZ) {}

    void Set(float fX, float fY, float fZ) { x = fX; y = fY; z = fZ; }
    void SetX(float fX) { x = fX; }
    void SetY(float fY) { y = fY; }
    void SetZ(float fZ) { z = fZ; }
    void Get(float& fX, float& fY, float& fZ) const { fX = x; fY = y; fZ = z; }
    float GetX() const { return x; }
    float GetY() const { return y; }
    float GetZ() const { return z; }
    CVector Scaled(float f) const { return CVector(x * f, y * f, z * f); }
    CVector Divided(float f) const { return CVector(x / f, y / f, z / f); }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
