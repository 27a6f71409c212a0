#include "renderer/layer_colour.h"

void ApplyLayerColour(const float fColour[4], bool bBlend, GLenum nBlendSrc, GLenum nBlendDst) {
    if (bBlend) {
        glColor4fv(fColour);
        glEnable(GL_BLEND);
        glBlendFunc(nBlendSrc, nBlendDst);
        glDepthMask(GL_FALSE);
    } else {
        glColor3fv(fColour);
    }
}
