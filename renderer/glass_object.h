// The glass tube: its description, its mesh, its two texture layers and how it is drawn.
#pragma once
#include "renderer/gl.h"
#include "renderer/ring.h"

struct CTriangle {
    float v[3][5];    // vertex 0, 1, 2: x, y, z, s, t
    float n[3];       // face normal
};

typedef float (*RadiusProc)(float t);

class CGlassObject {
public:
    CGlassObject() = default;
    ~CGlassObject();
    CGlassObject(const CGlassObject&) = delete;
    CGlassObject& operator=(const CGlassObject&) = delete;

    // A layer of nCount textures, one per frame. Clears what SetLayerScroll set for the layer.
    int SetLayerTextures(int nLayer, const GLuint* pnNames, int nCount);
    // A layer of nFrames frames from one texture of nWidth x nHeight texels: frame k shows it moved
    // cyclically by k + 1 steps of nDx columns and nDy rows, the picture frame k of a precomputed list
    // holds (LoadScrollTextures), given by the layer's texture matrix while the mesh is drawn.
    int SetLayerScroll(int nLayer, GLuint nName, int nFrames, int nWidth, int nHeight, int nDx, int nDy);
    void SelectLayerFrame(int nLayer, int nIndex);
    void Draw();
    void GenerateMesh();
    void DrawMesh();
    void BindLayers();
    // The texture coordinates' offset (s, t) that shows frame nLayerFrame of a scrolled layer.
    void LayerScrollOffset(int nLayer, float& fS, float& fT) const;
    // Every texture matrix a scrolled layer set back to identity.
    void ResetLayerMatrices(bool bUnits);

    bool bNormals = false;
    bool bBlend = false;
    bool bMultiTexture = false;
    bool bSphereMap = false;
    float fPosition[3] = {0.0f, 0.0f, 0.0f};
    float fRotation[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float fCurveA = 2.0f;
    float fCurveB = 1.0f;
    int nRingPoints = 0;
    int nSegments = 0;
    RadiusProc pfnRadius = nullptr;
    bool bFlipFaces = true;
    float fColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLenum nBlendSrc = GL_ONE;
    GLenum nBlendDst = GL_ONE;
    GLuint* pnLayerTextures[2] = {nullptr, nullptr};
    int nLayerCount[2] = {0, 0};
    int nLayerFrame[2] = {0, 0};
    // The texture matrix's step for each layer: none for a layer of precomputed frames.
    struct LayerScroll {
        bool bOn = false;
        int nWidth = 0, nHeight = 0, nDx = 0, nDy = 0;
    } cLayerScroll[2];
    CTriangle* pcTriangleList = nullptr;
    int nTriangles = 0;

private:
    // Working memory of GenerateMesh, kept from frame to frame: the sizes hardly ever change.
    float* pfGrid = nullptr;        // (nSegments + 1) x nRingPoints samples of x, y, z, s, t
    long long nGridSamples = 0;
    // The grid's positions again as x, y and z rows of nRingPoints + 1 (the first point repeated),
    // followed by one strip's normals: the layout the face normals are worked out from.
    float* pfPlanar = nullptr;
    long long nPlanarFloats = 0;
    long long nTriangleCapacity = 0;  // records allocated at pcTriangleList
    CRing cRing;                    // the circle swept along the curve, with its angles
    // The curve's sines and cosines at every sample for nCurveSegments: only the amplitudes change
    // from frame to frame, so the extended-precision functions run once per segment count.
    long double* pldCurveTrig = nullptr;
    int nCurveSegments = 0;
};

// The driver's ARB multitexture entry points, resolved by name in this order.
enum { MULTITEXTURE_ENTRY_COUNT = 34 };
extern const char* const MultitextureEntryNames[MULTITEXTURE_ENTRY_COUNT];
extern void (*MultitextureEntryPoints[MULTITEXTURE_ENTRY_COUNT])();

void LoadEntryPoints();
void SetSwapInterval(int nInterval);
