// The glass object's texture layers and its per-frame drawing: base layer on unit 0 with the mesh's
// coordinates, sphere-mapped reflection layer on unit 1.
#include "renderer/glass_object.h"

#include "renderer/layer_colour.h"

#include <algorithm>
#include <new>

namespace {

// Every attribute group GL 1.1 knows; the pop at the end of Draw undoes all that drawing changes.
const GLbitfield kAllAttribGroups = 0xFFFFF;

// Table positions of the two entries that drawing calls.
const int kActiveTexture = 0;
const int kMultiTexCoord2fv = 13;

typedef void(APIENTRY* PfnActiveTexture)(GLenum);
typedef void(APIENTRY* PfnMultiTexCoord2fv)(GLenum, const GLfloat*);

PfnActiveTexture ActiveTexture() {
    return reinterpret_cast<PfnActiveTexture>(MultitextureEntryPoints[kActiveTexture]);
}
PfnMultiTexCoord2fv MultiTexCoord2fv() {
    return reinterpret_cast<PfnMultiTexCoord2fv>(MultitextureEntryPoints[kMultiTexCoord2fv]);
}

// A driver without ARB multitexture gets the single-unit look instead of a call through an empty entry.
bool CanMultiTexture(bool bWanted) { return bWanted && ActiveTexture() && MultiTexCoord2fv(); }

void SphereMap() {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

}  // namespace

CGlassObject::~CGlassObject() {
    delete[] pnLayerTextures[0];
    delete[] pnLayerTextures[1];
    delete[] pcTriangleList;
    delete[] pfGrid;
    delete[] pldCurveTrig;
    delete[] pfPlanar;
}

int CGlassObject::SetLayerTextures(int nLayer, const GLuint* pnNames, int nCount) {
    nLayer = std::clamp(nLayer, 0, 1);
    delete[] pnLayerTextures[nLayer];
    pnLayerTextures[nLayer] = nullptr;
    nLayerCount[nLayer] = 0;
    if (nCount < 0) return 1;
    GLuint* pnList = new (std::nothrow) GLuint[nCount];
    if (!pnList) return 1;
    if (pnNames) std::copy(pnNames, pnNames + nCount, pnList);
    else std::fill(pnList, pnList + nCount, 0u);
    pnLayerTextures[nLayer] = pnList;
    nLayerCount[nLayer] = nCount;
    cLayerScroll[nLayer] = LayerScroll{};
    return 0;
}

int CGlassObject::SetLayerScroll(int nLayer, GLuint nName, int nFrames, int nWidth, int nHeight, int nDx, int nDy) {
    nLayer = std::clamp(nLayer, 0, 1);
    if (SetLayerTextures(nLayer, nullptr, nFrames) != 0) return 1;
    // Every frame binds the one texture; the selected frame only moves it.
    std::fill(pnLayerTextures[nLayer], pnLayerTextures[nLayer] + nFrames, nName);
    if (nWidth > 0 && nHeight > 0) cLayerScroll[nLayer] = LayerScroll{true, nWidth, nHeight, nDx, nDy};
    return 0;
}

void CGlassObject::LayerScrollOffset(int nLayer, float& fS, float& fT) const {
    fS = fT = 0.0f;
    const LayerScroll& c = cLayerScroll[nLayer];
    if (!c.bOn) return;
    // Frame k holds the picture moved k + 1 steps: its texel x is the picture's x - dx, so it is
    // sampled at s - dx / width. The shift is taken in whole texels as the frame holds it, then as the
    // nearer of its two ways round (repeat wrapping makes them the same), to keep the offset small.
    auto Offset = [](long long nSteps, int nStep, int nLength) {
        long long nShift = (nSteps * nStep) % nLength;
        if (nShift < 0) nShift += nLength;
        if (2 * nShift > nLength) nShift -= nLength;
        return static_cast<float>(-static_cast<double>(nShift) / nLength);
    };
    const long long nSteps = static_cast<long long>(nLayerFrame[nLayer]) + 1;
    fS = Offset(nSteps, c.nDx, c.nWidth);
    fT = Offset(nSteps, c.nDy, c.nHeight);
}

void CGlassObject::SelectLayerFrame(int nLayer, int nIndex) {
    if (nLayer < 0 || nLayer > 1) return;
    if (nIndex < 0 || nIndex >= nLayerCount[nLayer]) return;
    nLayerFrame[nLayer] = nIndex;
}

void CGlassObject::Draw() {
    glPushAttrib(kAllAttribGroups);
    // The caller may have left another matrix selected; the attribute pop gives it back.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(fPosition[0], fPosition[1], fPosition[2]);
    // A rotation about no axis is undefined (the axis is normalised); the scene keeps (0, 0, 0).
    if (fRotation[1] != 0.0f || fRotation[2] != 0.0f || fRotation[3] != 0.0f)
        glRotatef(fRotation[0], fRotation[1], fRotation[2], fRotation[3]);
    ApplyLayerColour(fColour, bBlend, nBlendSrc, nBlendDst);
    GenerateMesh();
    DrawMesh();
    glDepthMask(GL_TRUE);
    glPopMatrix();
    glPopAttrib();
}

void CGlassObject::DrawMesh() {
    BindLayers();
    const bool bUnits = CanMultiTexture(bMultiTexture);
    const PfnMultiTexCoord2fv pfnTexCoord = MultiTexCoord2fv();
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < nTriangles; ++k) {
        const CTriangle& cTri = pcTriangleList[k];
        if (bNormals) glNormal3fv(cTri.n);
        for (int v = 0; v < 3; ++v) {
            const float* pfVertex = cTri.v[v];
            if (bUnits) {
                pfnTexCoord(GL_TEXTURE0_ARB, pfVertex + 3);
                pfnTexCoord(GL_TEXTURE1_ARB, pfVertex + 3);
            } else {
                glTexCoord2fv(pfVertex + 3);
            }
            glVertex3fv(pfVertex);
        }
    }
    glEnd();
    if (bSphereMap) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    ResetLayerMatrices(bUnits);
}

void CGlassObject::ResetLayerMatrices(bool bUnits) {
    // The texture matrices are no attribute: what comes after the tube (the backdrop) must find them
    // at identity, as the precomputed layers leave them.
    if (!cLayerScroll[0].bOn && !cLayerScroll[1].bOn) return;
    glMatrixMode(GL_TEXTURE);
    if (bUnits) {
        const PfnActiveTexture pfnActive = ActiveTexture();
        pfnActive(GL_TEXTURE0_ARB);
        glLoadIdentity();
        pfnActive(GL_TEXTURE1_ARB);
    }
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void CGlassObject::BindLayers() {
    // A layer without a usable entry binds the default texture: that layer is drawn untextured.
    // A scrolled layer also sets the texture matrix of the unit it is bound to (the generated
    // coordinates of the sphere map pass through it too); DrawMesh puts it back to identity.
    auto BindLayer = [this](int n) {
        const bool bHave = pnLayerTextures[n] && nLayerFrame[n] >= 0 && nLayerFrame[n] < nLayerCount[n];
        glBindTexture(GL_TEXTURE_2D, bHave ? pnLayerTextures[n][nLayerFrame[n]] : 0);
        if (!cLayerScroll[n].bOn) return;
        float fS = 0.0f, fT = 0.0f;
        LayerScrollOffset(n, fS, fT);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(fS, fT, 0.0f);
        glMatrixMode(GL_MODELVIEW);
    };
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    if (CanMultiTexture(bMultiTexture)) {
        const PfnActiveTexture pfnActive = ActiveTexture();
        pfnActive(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        BindLayer(0);
        pfnActive(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        if (bSphereMap) SphereMap();
        BindLayer(1);
    } else {
        glEnable(GL_TEXTURE_2D);
        if (bSphereMap) SphereMap();
        BindLayer(0);
    }
}
