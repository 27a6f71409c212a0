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
    return 0;
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
}

void CGlassObject::BindLayers() {
    // A layer without a usable entry binds the default texture: that layer is drawn untextured.
    auto BindLayer = [this](int n) {
        const bool bHave = pnLayerTextures[n] && nLayerFrame[n] >= 0 && nLayerFrame[n] < nLayerCount[n];
        glBindTexture(GL_TEXTURE_2D, bHave ? pnLayerTextures[n][nLayerFrame[n]] : 0);
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
