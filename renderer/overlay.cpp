// The full-screen quad: identity in both matrices puts its corners on the viewport's corners,
// whatever camera the scene has set up.
#include "renderer/overlay.h"

#include "renderer/layer_colour.h"

namespace {

const GLbitfield kAllAttribGroups = 0xFFFFF;

}  // namespace

void COverlay::Build() {
    if (nList != 0 && glIsList(nList)) glDeleteLists(nList, 1);
    nList = glGenLists(1);
    bBuilt = false;
    if (nList == 0) return;  // no list name to be had: the overlay stays inert
    glNewList(nList, GL_COMPILE);
    // No texture is bound here: the quad shows whatever is bound when the list is replayed.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3i(-1, 1, 0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3i(1, 1, 0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3i(1, -1, 0);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3i(-1, -1, 0);
    glEnd();
    glEndList();
    bBuilt = true;
}

void COverlay::Draw() {
    if (!bBuilt) return;
    glPushAttrib(kAllAttribGroups);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    ApplyLayerColour(fColour, bBlend, nBlendSrc, nBlendDst);
    glDepthMask(bDepthWrite ? GL_TRUE : GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glCallList(nList);
    glDepthMask(GL_TRUE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void COverlay::Release() {
    // At exit the context may already be gone; then there is no list to find.
    if (nList != 0 && glIsList(nList)) glDeleteLists(nList, 1);
    nList = 0;
    bBuilt = false;
}
