// The colour and blending both drawn layers (the glass tube and the backdrop) start with.
#pragma once
#include "renderer/gl.h"

// With blending the colour's alpha counts, the blend function is set and depth writes stop;
// without it only red, green and blue are sent and blending is left alone.
void ApplyLayerColour(const float fColour[4], bool bBlend, GLenum nBlendSrc, GLenum nBlendDst);
