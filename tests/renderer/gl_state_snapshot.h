// Reads back, with glGet, every piece of GL state that the glass object's and the overlay's Draw may
// touch, so a test can tell that a draw call left the caller's state as it found it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "renderer/gl.h"
#include "renderer/gl_proc.h"

typedef void(APIENTRY* PfnTestActiveTexture)(GLenum);

inline PfnTestActiveTexture TestActiveTexture() {
    return reinterpret_cast<PfnTestActiveTexture>(GetGlProcAddress("glActiveTextureARB"));
}

using GlStateSnapshot = std::vector<std::pair<std::string, std::vector<double>>>;

inline GlStateSnapshot TakeGlStateSnapshot() {
    GlStateSnapshot a;
    auto Floats = [&a](const std::string& sName, GLenum e, int n) {
        std::vector<GLfloat> af(16, 0.0f);
        glGetFloatv(e, af.data());
        a.emplace_back(sName, std::vector<double>(af.begin(), af.begin() + n));
    };
    auto Ints = [&a](const std::string& sName, GLenum e) {
        GLint n = 0;
        glGetIntegerv(e, &n);
        a.emplace_back(sName, std::vector<double>{static_cast<double>(n)});
    };
    auto Enabled = [&a](const std::string& sName, GLenum e) {
        a.emplace_back(sName, std::vector<double>{glIsEnabled(e) ? 1.0 : 0.0});
    };
    GLint nActive = GL_TEXTURE0_ARB;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &nActive);
    a.emplace_back("active texture unit", std::vector<double>{static_cast<double>(nActive)});
    for (int nUnit = 0; nUnit < 2; ++nUnit) {
        TestActiveTexture()(GL_TEXTURE0_ARB + nUnit);
        const std::string sUnit = "unit " + std::to_string(nUnit) + ": ";
        Enabled(sUnit + "GL_TEXTURE_2D", GL_TEXTURE_2D);
        Ints(sUnit + "GL_TEXTURE_BINDING_2D", GL_TEXTURE_BINDING_2D);
        Enabled(sUnit + "GL_TEXTURE_GEN_S", GL_TEXTURE_GEN_S);
        Enabled(sUnit + "GL_TEXTURE_GEN_T", GL_TEXTURE_GEN_T);
        GLint nModeS = 0, nModeT = 0;
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &nModeS);
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &nModeT);
        a.emplace_back(sUnit + "gen mode S, T", std::vector<double>{double(nModeS), double(nModeT)});
        Floats(sUnit + "GL_CURRENT_TEXTURE_COORDS", GL_CURRENT_TEXTURE_COORDS, 4);
    }
    TestActiveTexture()(static_cast<GLenum>(nActive));
    Enabled("GL_BLEND", GL_BLEND);
    Ints("GL_BLEND_SRC", GL_BLEND_SRC);
    Ints("GL_BLEND_DST", GL_BLEND_DST);
    Floats("GL_CURRENT_COLOR", GL_CURRENT_COLOR, 4);
    Floats("GL_CURRENT_NORMAL", GL_CURRENT_NORMAL, 3);
    GLboolean bDepthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &bDepthMask);
    a.emplace_back("GL_DEPTH_WRITEMASK", std::vector<double>{bDepthMask ? 1.0 : 0.0});
    Enabled("GL_DEPTH_TEST", GL_DEPTH_TEST);
    Floats("GL_MODELVIEW_MATRIX", GL_MODELVIEW_MATRIX, 16);
    Floats("GL_PROJECTION_MATRIX", GL_PROJECTION_MATRIX, 16);
    Ints("GL_MATRIX_MODE", GL_MATRIX_MODE);
    Ints("GL_MODELVIEW_STACK_DEPTH", GL_MODELVIEW_STACK_DEPTH);
    Ints("GL_PROJECTION_STACK_DEPTH", GL_PROJECTION_STACK_DEPTH);
    Ints("GL_ATTRIB_STACK_DEPTH", GL_ATTRIB_STACK_DEPTH);
    return a;
}

inline void ExpectSameGlState(const GlStateSnapshot& aBefore, const GlStateSnapshot& aAfter) {
    ASSERT_EQ(aBefore.size(), aAfter.size());
    for (size_t i = 0; i < aBefore.size(); ++i) EXPECT_EQ(aBefore[i].second, aAfter[i].second) << aBefore[i].first;
}

// A state that differs from GL's defaults wherever drawing might leave its own mark.
inline void SetUnusualCallerState(GLuint nTextureUnit0, GLuint nTextureUnit1) {
    TestActiveTexture()(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, nTextureUnit1);
    glDisable(GL_TEXTURE_2D);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glEnable(GL_TEXTURE_GEN_S);
    glTexCoord4f(0.1f, 0.2f, 0.3f, 0.4f);
    TestActiveTexture()(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, nTextureUnit0);
    glEnable(GL_TEXTURE_2D);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexCoord4f(0.5f, 0.6f, 0.7f, 0.8f);
    glDisable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glNormal3f(0.0f, 0.6f, 0.8f);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.1f, 0.2f, -3.0f);
    glRotatef(25.0f, 0.0f, 1.0f, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2.0, 3.0, -1.5, 2.5, -10.0, 10.0);
    // Left selected: a draw call that forgets to select the modelview itself changes the wrong matrix.
}
