// OpenGL 1.x on WebGL 2, exactly as far as the scene needs it: immediate-mode triangles and quads with
// normal, colour and two sets of texture coordinates; the model-view and projection stacks and a texture
// matrix stack per unit (applied to given and generated coordinates alike); RGB and BGR textures;
// sphere-map generation; two modulating texture units; blending; depth test and mask; the
// attribute stack; one kind of display list (vertex commands only, which is all the backdrop's list
// holds). Every glBegin/glEnd becomes one draw from a streamed buffer through one pair of shaders,
// with the fixed-function state handed over as uniforms.
#include "renderer/web/gl_layer.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

// The GL 1.x names WebGL does not define.
constexpr GLenum kQuads = 0x0007;
constexpr GLenum kCompile = 0x1300;
constexpr GLenum kCompileAndExecute = 0x1301;
constexpr GLenum kModelView = 0x1700;
constexpr GLenum kProjection = 0x1701;
constexpr GLenum kTextureMatrix = 0x1702;
constexpr GLenum kCoordS = 0x2000;
constexpr GLenum kCoordT = 0x2001;
constexpr GLenum kTextureGenMode = 0x2500;
constexpr GLenum kSphereMap = 0x2402;
constexpr GLenum kTextureGenS = 0x0C60;
constexpr GLenum kTextureGenT = 0x0C61;
constexpr GLenum kBgr = 0x80E0;
constexpr GLenum kTexture0Arb = 0x84C0;

// Attribute groups of glPushAttrib.
constexpr GLbitfield kCurrentBit = 0x00001;
constexpr GLbitfield kDepthBufferBit = 0x00100;
constexpr GLbitfield kViewportBit = 0x00800;
constexpr GLbitfield kTransformBit = 0x01000;
constexpr GLbitfield kEnableBit = 0x02000;
constexpr GLbitfield kColourBufferBit = 0x04000;
constexpr GLbitfield kTextureBit = 0x40000;

constexpr double kPi = 3.14159265358979323846;
constexpr int kUnits = 2;
constexpr int kStackDepth = 32;
// position 3, colour 4, normal 3, two texture coordinates of 2
constexpr int kVertexFloats = 14;

struct Matrix {
    float m[16];  // column-major, as GL keeps it
};

Matrix Identity() {
    Matrix c{};
    c.m[0] = c.m[5] = c.m[10] = c.m[15] = 1.0f;
    return c;
}

// a * b, in single precision like the drivers the scene was made on.
Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix c;
    for (int nCol = 0; nCol < 4; ++nCol)
        for (int nRow = 0; nRow < 4; ++nRow) {
            float f = 0.0f;
            for (int k = 0; k < 4; ++k) f += a.m[k * 4 + nRow] * b.m[nCol * 4 + k];
            c.m[nCol * 4 + nRow] = f;
        }
    return c;
}

struct TextureUnit {
    bool bEnabled = false;
    bool bGenS = false, bGenT = false;
    GLenum eGenModeS = 0x2400, eGenModeT = 0x2400;  // GL_EYE_LINEAR, GL's default
    GLuint nBound = 0;
};

// Everything glPushAttrib can save, with the group(s) each part belongs to noted.
struct Attributes {
    float afColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};           // current
    float afNormal[3] = {0.0f, 0.0f, 1.0f};                 // current
    float afTexCoord[kUnits][2] = {{0.0f, 0.0f}, {0.0f, 0.0f}};  // current
    bool bDepthTest = false;                                // enable, depth buffer
    bool bDepthMask = true;                                 // depth buffer
    float fClearDepth = 1.0f;                               // depth buffer
    bool bBlend = false;                                    // enable, colour buffer
    GLenum eBlendSrc = GL_ONE, eBlendDst = GL_ZERO;         // colour buffer
    float afClearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};      // colour buffer
    GLenum eMatrixMode = kModelView;                        // transform
    GLint anViewport[4] = {0, 0, 0, 0};                     // viewport
    int nActiveUnit = 0;                                    // texture
    TextureUnit aUnits[kUnits];                             // texture; the enables also enable
};

struct SavedAttributes {
    GLbitfield nMask;
    Attributes cValues;
};

// A display list: the vertex commands it was given, replayed in order.
struct ListCommand {
    enum Kind { kBegin, kEnd, kVertex, kColour, kNormal, kTexCoord } eKind;
    GLenum eValue;  // the mode of kBegin, the unit of kTexCoord
    float af[4];
};

struct Layer {
    Attributes cNow;
    std::vector<SavedAttributes> aAttributeStack;
    std::vector<Matrix> aModelView{Identity()};
    std::vector<Matrix> aProjection{Identity()};
    std::vector<Matrix> aTexture[kUnits]{{Identity()}, {Identity()}};
    GLint nUnpackAlignment = 4;

    // The primitive being gathered, and its vertices.
    bool bInside = false;
    GLenum eMode = 0;
    std::vector<float> afVertices;
    std::vector<float> afDrawn;  // the same as triangles

    // Display lists.
    std::map<GLuint, std::vector<ListCommand>> mLists;
    GLuint nNextList = 1;
    GLuint nCompiling = 0;
    bool bExecuteWhileCompiling = false;

    // Which texture names hold a picture (a unit bound to one without is drawn as if disabled), and
    // which hold it in B G R order, as uploaded: the shader puts the components back in order.
    std::vector<bool> abHasImage;
    std::vector<bool> abBgr;

    // WebGL objects.
    GLuint nProgram = 0;
    GLuint nBuffer = 0;
    GLuint nVertexArray = 0;
    GLint nModelViewAt = -1, nProjectionAt = -1, nNormalMatrixAt = -1;
    GLint anGenAt[kUnits] = {-1, -1};
    GLint anTextureMatrixAt[kUnits] = {-1, -1};
    GLint anUseAt[kUnits] = {-1, -1};
    GLint anBgrAt[kUnits] = {-1, -1};
    GLint anSamplerAt[kUnits] = {-1, -1};
};

Layer cLayer;

// GL_TEXTURE selects the stack of the unit active at each call, as in GL.
std::vector<Matrix>& CurrentStack() {
    switch (cLayer.cNow.eMatrixMode) {
    case kProjection: return cLayer.aProjection;
    case kTextureMatrix: return cLayer.aTexture[cLayer.cNow.nActiveUnit];
    default: return cLayer.aModelView;
    }
}

Matrix& CurrentMatrix() { return CurrentStack().back(); }

bool HasImage(GLuint nName) { return nName < cLayer.abHasImage.size() && cLayer.abHasImage[nName]; }
bool IsBgr(GLuint nName) { return nName < cLayer.abBgr.size() && cLayer.abBgr[nName]; }

// The bindings the attribute stack may have changed behind WebGL's back, put back before any use.
void ApplyTextureBindings() {
    for (int n = 0; n < kUnits; ++n) {
        emscripten_glActiveTexture(GL_TEXTURE0 + n);
        emscripten_glBindTexture(GL_TEXTURE_2D, cLayer.cNow.aUnits[n].nBound);
    }
    emscripten_glActiveTexture(GL_TEXTURE0 + cLayer.cNow.nActiveUnit);
}

void ApplyFragmentState() {
    const Attributes& a = cLayer.cNow;
    if (a.bDepthTest) emscripten_glEnable(GL_DEPTH_TEST);
    else emscripten_glDisable(GL_DEPTH_TEST);
    emscripten_glDepthMask(a.bDepthMask ? GL_TRUE : GL_FALSE);
    if (a.bBlend) emscripten_glEnable(GL_BLEND);
    else emscripten_glDisable(GL_BLEND);
    emscripten_glBlendFunc(a.eBlendSrc, a.eBlendDst);
    emscripten_glViewport(a.anViewport[0], a.anViewport[1], a.anViewport[2], a.anViewport[3]);
}

// The inverse transpose of the model-view's upper 3 x 3, which carries normals into eye space.
void NormalMatrix(const Matrix& c, float afOut[9]) {
    const double a = c.m[0], b = c.m[4], d = c.m[8];
    const double e = c.m[1], f = c.m[5], g = c.m[9];
    const double h = c.m[2], i = c.m[6], j = c.m[10];
    // Rows (a b d / e f g / h i j); the cofactor matrix over the determinant is the inverse transpose.
    const double dDet = a * (f * j - g * i) - b * (e * j - g * h) + d * (e * i - f * h);
    const double dInv = dDet != 0.0 ? 1.0 / dDet : 0.0;
    const double adRows[3][3] = {{(f * j - g * i), -(e * j - g * h), (e * i - f * h)},
                                 {-(b * j - d * i), (a * j - d * h), -(a * i - b * h)},
                                 {(b * g - d * f), -(a * g - d * e), (a * f - b * e)}};
    // Column-major for the shader: column k holds row k's cofactors transposed back.
    for (int nRow = 0; nRow < 3; ++nRow)
        for (int nCol = 0; nCol < 3; ++nCol) afOut[nCol * 3 + nRow] = static_cast<float>(adRows[nRow][nCol] * dInv);
}

void Draw(const std::vector<float>& afTriangles) {
    const int nCount = static_cast<int>(afTriangles.size() / kVertexFloats);
    if (nCount == 0 || cLayer.nProgram == 0) return;
    ApplyFragmentState();
    ApplyTextureBindings();
    emscripten_glUseProgram(cLayer.nProgram);
    const Matrix& cModelView = cLayer.aModelView.back();
    emscripten_glUniformMatrix4fv(cLayer.nModelViewAt, 1, GL_FALSE, cModelView.m);
    emscripten_glUniformMatrix4fv(cLayer.nProjectionAt, 1, GL_FALSE, cLayer.aProjection.back().m);
    float afNormal[9];
    NormalMatrix(cModelView, afNormal);
    emscripten_glUniformMatrix3fv(cLayer.nNormalMatrixAt, 1, GL_FALSE, afNormal);
    for (int n = 0; n < kUnits; ++n) {
        const TextureUnit& u = cLayer.cNow.aUnits[n];
        emscripten_glUniform1i(cLayer.anUseAt[n], u.bEnabled && HasImage(u.nBound) ? 1 : 0);
        emscripten_glUniform1i(cLayer.anBgrAt[n], IsBgr(u.nBound) ? 1 : 0);
        emscripten_glUniform2i(cLayer.anGenAt[n], u.bGenS && u.eGenModeS == kSphereMap ? 1 : 0,
                               u.bGenT && u.eGenModeT == kSphereMap ? 1 : 0);
        emscripten_glUniformMatrix4fv(cLayer.anTextureMatrixAt[n], 1, GL_FALSE, cLayer.aTexture[n].back().m);
    }
    emscripten_glBindVertexArray(cLayer.nVertexArray);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, cLayer.nBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(afTriangles.size() * sizeof(float)),
                            afTriangles.data(), GL_STREAM_DRAW);
    emscripten_glDrawArrays(GL_TRIANGLES, 0, nCount);
}

void Begin(GLenum eMode) {
    cLayer.bInside = true;
    cLayer.eMode = eMode;
    cLayer.afVertices.clear();
}

void Vertex(float x, float y, float z) {
    if (!cLayer.bInside) return;
    const Attributes& a = cLayer.cNow;
    const float af[kVertexFloats] = {x,           y,           z,           a.afColour[0],      a.afColour[1],
                                     a.afColour[2], a.afColour[3], a.afNormal[0], a.afNormal[1], a.afNormal[2],
                                     a.afTexCoord[0][0], a.afTexCoord[0][1], a.afTexCoord[1][0], a.afTexCoord[1][1]};
    cLayer.afVertices.insert(cLayer.afVertices.end(), af, af + kVertexFloats);
}

void End() {
    if (!cLayer.bInside) return;
    cLayer.bInside = false;
    const std::vector<float>& afIn = cLayer.afVertices;
    const size_t nVertices = afIn.size() / kVertexFloats;
    if (cLayer.eMode == GL_TRIANGLES) {
        const size_t nUsed = nVertices - nVertices % 3;
        Draw(nUsed == nVertices ? afIn : std::vector<float>(afIn.begin(), afIn.begin() + nUsed * kVertexFloats));
    } else if (cLayer.eMode == kQuads) {
        // Each quad as the triangles (0 1 2) and (0 2 3).
        std::vector<float>& afOut = cLayer.afDrawn;
        afOut.clear();
        for (size_t q = 0; q + 4 <= nVertices; q += 4)
            for (int k : {0, 1, 2, 0, 2, 3}) {
                const float* pf = afIn.data() + (q + k) * kVertexFloats;
                afOut.insert(afOut.end(), pf, pf + kVertexFloats);
            }
        Draw(afOut);
    }
}

// Records a vertex command into the list being compiled; true when it is not to be carried out now.
bool Recorded(ListCommand::Kind eKind, GLenum eValue, float a = 0, float b = 0, float c = 0, float d = 0) {
    if (cLayer.nCompiling == 0) return false;
    cLayer.mLists[cLayer.nCompiling].push_back(ListCommand{eKind, eValue, {a, b, c, d}});
    return !cLayer.bExecuteWhileCompiling;
}

void SetColour(float r, float g, float b, float a) {
    if (Recorded(ListCommand::kColour, 0, r, g, b, a)) return;
    float* pf = cLayer.cNow.afColour;
    pf[0] = r;
    pf[1] = g;
    pf[2] = b;
    pf[3] = a;
}

void SetNormal(float x, float y, float z) {
    if (Recorded(ListCommand::kNormal, 0, x, y, z)) return;
    float* pf = cLayer.cNow.afNormal;
    pf[0] = x;
    pf[1] = y;
    pf[2] = z;
}

void SetTexCoord(GLenum eUnit, float s, float t) {
    const unsigned nUnit = eUnit - kTexture0Arb;
    if (nUnit >= kUnits) return;
    if (Recorded(ListCommand::kTexCoord, eUnit, s, t)) return;
    cLayer.cNow.afTexCoord[nUnit][0] = s;
    cLayer.cNow.afTexCoord[nUnit][1] = t;
}

void AddVertex(float x, float y, float z) {
    if (Recorded(ListCommand::kVertex, 0, x, y, z)) return;
    Vertex(x, y, z);
}

void SetCapability(GLenum eCap, bool bOn) {
    Attributes& a = cLayer.cNow;
    TextureUnit& u = a.aUnits[a.nActiveUnit];
    switch (eCap) {
    case GL_DEPTH_TEST: a.bDepthTest = bOn; break;
    case GL_BLEND: a.bBlend = bOn; break;
    case GL_TEXTURE_2D: u.bEnabled = bOn; break;
    case kTextureGenS: u.bGenS = bOn; break;
    case kTextureGenT: u.bGenT = bOn; break;
    default: break;  // nothing else the scene switches has an effect here
    }
}

const char kVertexShader[] = R"(#version 300 es
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in vec2 aTex0;
layout(location = 4) in vec2 aTex1;
uniform mat4 uModelView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform ivec2 uGen0;
uniform ivec2 uGen1;
uniform mat4 uTextureMatrix0;
uniform mat4 uTextureMatrix1;
out vec4 vColour;
out vec2 vTex0;
out vec2 vTex1;

// GL_SPHERE_MAP: the eye-space reflection of the view ray about the (unnormalised) eye normal.
vec2 SphereMap(vec3 vEye, vec3 vNormal) {
    vec3 u = normalize(vEye);
    vec3 r = u - 2.0 * vNormal * dot(vNormal, u);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    return vec2(r.x / m + 0.5, r.y / m + 0.5);
}

// The unit's coordinates, given or generated, through its texture matrix (r = 0, q = 1). The scene's
// texture matrices are translations, so q stays 1 and no division is needed.
vec2 Generated(ivec2 vGen, vec2 vGiven, vec2 vSphere, mat4 mTexture) {
    vec2 v = vec2(vGen.x != 0 ? vSphere.x : vGiven.x, vGen.y != 0 ? vSphere.y : vGiven.y);
    return (mTexture * vec4(v, 0.0, 1.0)).xy;
}

void main() {
    vec4 vEye = uModelView * vec4(aPosition, 1.0);
    gl_Position = uProjection * vEye;
    vColour = aColour;
    vec2 vSphere = vec2(0.0);
    if (uGen0 != ivec2(0) || uGen1 != ivec2(0)) vSphere = SphereMap(vEye.xyz, uNormalMatrix * aNormal);
    vTex0 = Generated(uGen0, aTex0, vSphere, uTextureMatrix0);
    vTex1 = Generated(uGen1, aTex1, vSphere, uTextureMatrix1);
}
)";

const char kFragmentShader[] = R"(#version 300 es
precision highp float;
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform int uUse0;
uniform int uUse1;
uniform int uBgr0;
uniform int uBgr1;
in vec4 vColour;
in vec2 vTex0;
in vec2 vTex1;
out vec4 oColour;

vec4 Texel(sampler2D sTexture, vec2 vAt, int nBgr) {
    vec4 t = texture(sTexture, vAt);
    return nBgr != 0 ? t.bgra : t;
}

// GL_MODULATE on each enabled unit in turn.
void main() {
    vec4 c = clamp(vColour, 0.0, 1.0);
    if (uUse0 != 0) c *= Texel(uTexture0, vTex0, uBgr0);
    if (uUse1 != 0) c *= Texel(uTexture1, vTex1, uBgr1);
    oColour = c;
}
)";

GLuint CompileShader(GLenum eKind, const char* pszSource) {
    const GLuint nShader = emscripten_glCreateShader(eKind);
    emscripten_glShaderSource(nShader, 1, &pszSource, nullptr);
    emscripten_glCompileShader(nShader);
    GLint nOk = 0;
    emscripten_glGetShaderiv(nShader, GL_COMPILE_STATUS, &nOk);
    if (!nOk) {
        emscripten_glDeleteShader(nShader);
        return 0;
    }
    return nShader;
}

}  // namespace

bool StartGlLayer() {
    const GLuint nVertex = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint nFragment = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!nVertex || !nFragment) return false;
    const GLuint nProgram = emscripten_glCreateProgram();
    emscripten_glAttachShader(nProgram, nVertex);
    emscripten_glAttachShader(nProgram, nFragment);
    emscripten_glLinkProgram(nProgram);
    emscripten_glDeleteShader(nVertex);
    emscripten_glDeleteShader(nFragment);
    GLint nLinked = 0;
    emscripten_glGetProgramiv(nProgram, GL_LINK_STATUS, &nLinked);
    if (!nLinked) return false;
    cLayer.nProgram = nProgram;
    cLayer.nModelViewAt = emscripten_glGetUniformLocation(nProgram, "uModelView");
    cLayer.nProjectionAt = emscripten_glGetUniformLocation(nProgram, "uProjection");
    cLayer.nNormalMatrixAt = emscripten_glGetUniformLocation(nProgram, "uNormalMatrix");
    cLayer.anGenAt[0] = emscripten_glGetUniformLocation(nProgram, "uGen0");
    cLayer.anGenAt[1] = emscripten_glGetUniformLocation(nProgram, "uGen1");
    cLayer.anTextureMatrixAt[0] = emscripten_glGetUniformLocation(nProgram, "uTextureMatrix0");
    cLayer.anTextureMatrixAt[1] = emscripten_glGetUniformLocation(nProgram, "uTextureMatrix1");
    cLayer.anUseAt[0] = emscripten_glGetUniformLocation(nProgram, "uUse0");
    cLayer.anUseAt[1] = emscripten_glGetUniformLocation(nProgram, "uUse1");
    cLayer.anBgrAt[0] = emscripten_glGetUniformLocation(nProgram, "uBgr0");
    cLayer.anBgrAt[1] = emscripten_glGetUniformLocation(nProgram, "uBgr1");
    emscripten_glUseProgram(nProgram);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(nProgram, "uTexture0"), 0);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(nProgram, "uTexture1"), 1);

    emscripten_glGenVertexArrays(1, &cLayer.nVertexArray);
    emscripten_glBindVertexArray(cLayer.nVertexArray);
    emscripten_glGenBuffers(1, &cLayer.nBuffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, cLayer.nBuffer);
    const GLsizei nStride = kVertexFloats * sizeof(float);
    const int anSizes[5] = {3, 4, 3, 2, 2};
    size_t nOffset = 0;
    for (int n = 0; n < 5; ++n) {
        emscripten_glEnableVertexAttribArray(n);
        emscripten_glVertexAttribPointer(n, anSizes[n], GL_FLOAT, GL_FALSE, nStride,
                                         reinterpret_cast<const void*>(nOffset * sizeof(float)));
        nOffset += anSizes[n];
    }
    GLint anViewport[4] = {0, 0, 0, 0};
    emscripten_glGetIntegerv(GL_VIEWPORT, anViewport);
    std::memcpy(cLayer.cNow.anViewport, anViewport, sizeof anViewport);
    return true;
}

bool RestartGlLayer() {
    cLayer = Layer{};
    return StartGlLayer();
}

extern "C" {

void LayerActiveTextureArb(unsigned int nUnit) {
    if (nUnit - kTexture0Arb < kUnits) cLayer.cNow.nActiveUnit = static_cast<int>(nUnit - kTexture0Arb);
}

void LayerMultiTexCoord2fvArb(unsigned int nUnit, const float* pfCoords) { SetTexCoord(nUnit, pfCoords[0], pfCoords[1]); }

void glBegin(GLenum eMode) {
    if (Recorded(ListCommand::kBegin, eMode)) return;
    Begin(eMode);
}

void glEnd() {
    if (Recorded(ListCommand::kEnd, 0)) return;
    End();
}

void glVertex3fv(const GLfloat* pf) { AddVertex(pf[0], pf[1], pf[2]); }
void glVertex3i(GLint x, GLint y, GLint z) {
    AddVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glNormal3fv(const GLfloat* pf) { SetNormal(pf[0], pf[1], pf[2]); }
void glColor3fv(const GLfloat* pf) { SetColour(pf[0], pf[1], pf[2], 1.0f); }
void glColor4fv(const GLfloat* pf) { SetColour(pf[0], pf[1], pf[2], pf[3]); }
void glTexCoord2f(GLfloat s, GLfloat t) { SetTexCoord(kTexture0Arb, s, t); }
void glTexCoord2fv(const GLfloat* pf) { SetTexCoord(kTexture0Arb, pf[0], pf[1]); }

void glMatrixMode(GLenum eMode) {
    if (eMode == kModelView || eMode == kProjection || eMode == kTextureMatrix) cLayer.cNow.eMatrixMode = eMode;
}

void glLoadIdentity() { CurrentMatrix() = Identity(); }

void glPushMatrix() {
    std::vector<Matrix>& aStack = CurrentStack();
    if (aStack.size() < kStackDepth) aStack.push_back(aStack.back());
}

void glPopMatrix() {
    std::vector<Matrix>& aStack = CurrentStack();
    if (aStack.size() > 1) aStack.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix& c = CurrentMatrix();
    for (int nRow = 0; nRow < 4; ++nRow)
        c.m[12 + nRow] = c.m[nRow] * x + c.m[4 + nRow] * y + c.m[8 + nRow] * z + c.m[12 + nRow];
}

void glRotatef(GLfloat fAngle, GLfloat x, GLfloat y, GLfloat z) {
    const float s = static_cast<float>(std::sin(fAngle * kPi / 180.0));
    const float c = static_cast<float>(std::cos(fAngle * kPi / 180.0));
    Matrix r = Identity();
    // A rotation about a coordinate axis is written out directly: no normalising, no rounding from it.
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        const float fS = z < 0.0f ? -s : s;
        r.m[0] = c; r.m[4] = -fS; r.m[1] = fS; r.m[5] = c;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        const float fS = y < 0.0f ? -s : s;
        r.m[0] = c; r.m[8] = fS; r.m[2] = -fS; r.m[10] = c;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        const float fS = x < 0.0f ? -s : s;
        r.m[5] = c; r.m[9] = -fS; r.m[6] = fS; r.m[10] = c;
    } else {
        const float fLength = std::sqrt(x * x + y * y + z * z);
        if (fLength <= 1.0e-4f) return;
        x /= fLength;
        y /= fLength;
        z /= fLength;
        const float fOneC = 1.0f - c;
        r.m[0] = fOneC * x * x + c;     r.m[4] = fOneC * x * y - z * s; r.m[8] = fOneC * z * x + y * s;
        r.m[1] = fOneC * x * y + z * s; r.m[5] = fOneC * y * y + c;     r.m[9] = fOneC * y * z - x * s;
        r.m[2] = fOneC * z * x - y * s; r.m[6] = fOneC * y * z + x * s; r.m[10] = fOneC * z * z + c;
    }
    Matrix& cNow = CurrentMatrix();
    cNow = Multiply(cNow, r);
}

void gluPerspective(double dFovY, double dAspect, double dNear, double dFar) {
    const double dRadians = dFovY / 2.0 * kPi / 180.0;
    const double dDepth = dFar - dNear;
    const double dSine = std::sin(dRadians);
    if (dDepth == 0.0 || dSine == 0.0 || dAspect == 0.0) return;
    const double dCot = std::cos(dRadians) / dSine;
    Matrix p{};
    p.m[0] = static_cast<float>(dCot / dAspect);
    p.m[5] = static_cast<float>(dCot);
    p.m[10] = static_cast<float>(-(dFar + dNear) / dDepth);
    p.m[11] = -1.0f;
    p.m[14] = static_cast<float>(-2.0 * dNear * dFar / dDepth);
    Matrix& cNow = CurrentMatrix();
    cNow = Multiply(cNow, p);
}

void glPushAttrib(GLbitfield nMask) {
    if (cLayer.aAttributeStack.size() < kStackDepth) cLayer.aAttributeStack.push_back({nMask, cLayer.cNow});
}

void glPopAttrib() {
    if (cLayer.aAttributeStack.empty()) return;
    const SavedAttributes cSaved = cLayer.aAttributeStack.back();
    cLayer.aAttributeStack.pop_back();
    const GLbitfield n = cSaved.nMask;
    const Attributes& o = cSaved.cValues;
    Attributes& a = cLayer.cNow;
    if (n & kCurrentBit) {
        std::memcpy(a.afColour, o.afColour, sizeof a.afColour);
        std::memcpy(a.afNormal, o.afNormal, sizeof a.afNormal);
        std::memcpy(a.afTexCoord, o.afTexCoord, sizeof a.afTexCoord);
    }
    if (n & (kEnableBit | kDepthBufferBit)) a.bDepthTest = o.bDepthTest;
    if (n & kDepthBufferBit) {
        a.bDepthMask = o.bDepthMask;
        a.fClearDepth = o.fClearDepth;
    }
    if (n & (kEnableBit | kColourBufferBit)) a.bBlend = o.bBlend;
    if (n & kColourBufferBit) {
        a.eBlendSrc = o.eBlendSrc;
        a.eBlendDst = o.eBlendDst;
        std::memcpy(a.afClearColour, o.afClearColour, sizeof a.afClearColour);
    }
    if (n & kTransformBit) a.eMatrixMode = o.eMatrixMode;
    if (n & kViewportBit) std::memcpy(a.anViewport, o.anViewport, sizeof a.anViewport);
    for (int u = 0; u < kUnits; ++u) {
        if (n & (kEnableBit | kTextureBit)) {
            a.aUnits[u].bEnabled = o.aUnits[u].bEnabled;
            a.aUnits[u].bGenS = o.aUnits[u].bGenS;
            a.aUnits[u].bGenT = o.aUnits[u].bGenT;
        }
        if (n & kTextureBit) {
            a.aUnits[u].eGenModeS = o.aUnits[u].eGenModeS;
            a.aUnits[u].eGenModeT = o.aUnits[u].eGenModeT;
            a.aUnits[u].nBound = o.aUnits[u].nBound;
        }
    }
    if (n & kTextureBit) a.nActiveUnit = o.nActiveUnit;
}

void glEnable(GLenum eCap) { SetCapability(eCap, true); }
void glDisable(GLenum eCap) { SetCapability(eCap, false); }

void glBlendFunc(GLenum eSrc, GLenum eDst) {
    cLayer.cNow.eBlendSrc = eSrc;
    cLayer.cNow.eBlendDst = eDst;
}

void glDepthMask(GLboolean bFlag) { cLayer.cNow.bDepthMask = bFlag != GL_FALSE; }

void glViewport(GLint x, GLint y, GLsizei nWidth, GLsizei nHeight) {
    GLint* pn = cLayer.cNow.anViewport;
    pn[0] = x;
    pn[1] = y;
    pn[2] = nWidth;
    pn[3] = nHeight;
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    float* pf = cLayer.cNow.afClearColour;
    pf[0] = r;
    pf[1] = g;
    pf[2] = b;
    pf[3] = a;
}

void glClearDepth(double dDepth) { cLayer.cNow.fClearDepth = static_cast<float>(dDepth); }

void glClear(GLbitfield nMask) {
    const Attributes& a = cLayer.cNow;
    emscripten_glClearColor(a.afClearColour[0], a.afClearColour[1], a.afClearColour[2], a.afClearColour[3]);
    emscripten_glClearDepthf(a.fClearDepth);
    ApplyFragmentState();
    emscripten_glClear(nMask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

// Only the smooth model the scene asks for exists here, and the hint has nothing to choose from.
void glShadeModel(GLenum) {}
void glHint(GLenum, GLenum) {}

void glTexGeni(GLenum eCoord, GLenum ePname, GLint nParam) {
    if (ePname != kTextureGenMode) return;
    TextureUnit& u = cLayer.cNow.aUnits[cLayer.cNow.nActiveUnit];
    if (eCoord == kCoordS) u.eGenModeS = static_cast<GLenum>(nParam);
    if (eCoord == kCoordT) u.eGenModeT = static_cast<GLenum>(nParam);
}

void glGenTextures(GLsizei n, GLuint* pnNames) { emscripten_glGenTextures(n, pnNames); }

void glDeleteTextures(GLsizei n, const GLuint* pnNames) {
    for (GLsizei k = 0; k < n; ++k) {
        const GLuint nName = pnNames[k];
        if (nName < cLayer.abHasImage.size()) cLayer.abHasImage[nName] = cLayer.abBgr[nName] = false;
        // As in GL, a deleted texture is unbound from every unit.
        for (TextureUnit& u : cLayer.cNow.aUnits)
            if (u.nBound == nName) u.nBound = 0;
    }
    emscripten_glDeleteTextures(n, pnNames);
}

void glBindTexture(GLenum eTarget, GLuint nName) {
    if (eTarget != GL_TEXTURE_2D) return;
    cLayer.cNow.aUnits[cLayer.cNow.nActiveUnit].nBound = nName;
}

void glTexParameteri(GLenum eTarget, GLenum ePname, GLint nParam) {
    ApplyTextureBindings();
    emscripten_glTexParameteri(eTarget, ePname, nParam);
}

void glTexParameterf(GLenum eTarget, GLenum ePname, GLfloat fParam) {
    ApplyTextureBindings();
    emscripten_glTexParameterf(eTarget, ePname, fParam);
}

void glPixelStorei(GLenum ePname, GLint nParam) {
    if (ePname != GL_UNPACK_ALIGNMENT || (nParam != 1 && nParam != 2 && nParam != 4 && nParam != 8)) return;
    cLayer.nUnpackAlignment = nParam;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, nParam);
}

void glGetIntegerv(GLenum ePname, GLint* pnData) {
    if (ePname == GL_UNPACK_ALIGNMENT) *pnData = cLayer.nUnpackAlignment;
    else emscripten_glGetIntegerv(ePname, pnData);
}

void glTexImage2D(GLenum eTarget, GLint nLevel, GLint nInternal, GLsizei nWidth, GLsizei nHeight, GLint nBorder,
                  GLenum eFormat, GLenum eType, const void* pPixels) {
    // The scene's pictures: three components given as RGB or BGR bytes, one level, no border.
    if (eTarget != GL_TEXTURE_2D || nLevel != 0 || nBorder != 0 || eType != GL_UNSIGNED_BYTE) return;
    if (nInternal != 3 && nInternal != GL_RGB && nInternal != GL_RGB8) return;
    if ((eFormat != GL_RGB && eFormat != kBgr) || !pPixels || nWidth <= 0 || nHeight <= 0) return;
    // WebGL takes the rows as they are, with the caller's alignment; B G R goes up as it is too (WebGL
    // has no such format), and the shader swaps it back when sampling.
    ApplyTextureBindings();
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, nWidth, nHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, pPixels);
    const GLuint nName = cLayer.cNow.aUnits[cLayer.cNow.nActiveUnit].nBound;
    if (nName == 0) return;
    if (nName >= cLayer.abHasImage.size()) {
        cLayer.abHasImage.resize(nName + 1, false);
        cLayer.abBgr.resize(nName + 1, false);
    }
    cLayer.abHasImage[nName] = true;
    cLayer.abBgr[nName] = eFormat == kBgr;
}

GLuint glGenLists(GLsizei nRange) {
    if (nRange <= 0) return 0;
    const GLuint nFirst = cLayer.nNextList;
    cLayer.nNextList += static_cast<GLuint>(nRange);
    for (GLsizei k = 0; k < nRange; ++k) cLayer.mLists[nFirst + k];
    return nFirst;
}

GLboolean glIsList(GLuint nList) { return cLayer.mLists.count(nList) ? GL_TRUE : GL_FALSE; }

void glDeleteLists(GLuint nList, GLsizei nRange) {
    for (GLsizei k = 0; k < nRange; ++k) cLayer.mLists.erase(nList + k);
}

void glNewList(GLuint nList, GLenum eMode) {
    if (nList == 0 || cLayer.nCompiling != 0 || (eMode != kCompile && eMode != kCompileAndExecute)) return;
    cLayer.mLists[nList].clear();
    cLayer.nCompiling = nList;
    cLayer.bExecuteWhileCompiling = eMode == kCompileAndExecute;
}

void glEndList() { cLayer.nCompiling = 0; }

void glCallList(GLuint nList) {
    const auto it = cLayer.mLists.find(nList);
    if (it == cLayer.mLists.end()) return;
    for (const ListCommand& c : it->second) {
        switch (c.eKind) {
        case ListCommand::kBegin: Begin(c.eValue); break;
        case ListCommand::kEnd: End(); break;
        case ListCommand::kVertex: Vertex(c.af[0], c.af[1], c.af[2]); break;
        case ListCommand::kColour: SetColour(c.af[0], c.af[1], c.af[2], c.af[3]); break;
        case ListCommand::kNormal: SetNormal(c.af[0], c.af[1], c.af[2]); break;
        case ListCommand::kTexCoord: SetTexCoord(c.eValue, c.af[0], c.af[1]); break;
        }
    }
}

}  // extern "C"
