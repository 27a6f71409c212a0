// CVector's one out-of-line operation: the length needs <cmath>, the rest lives in the header.
#include "renderer/vector.h"

#include <cmath>

float CVector::Length() const { return std::sqrt(x * x + y * y + z * z); }
