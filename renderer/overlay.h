// A textured rectangle exactly covering the viewport, compiled once into a display list.
#pragma once
#include "renderer/gl.h"

class COverlay {
public:
    COverlay() = default;
    ~COverlay() { Release(); }
    COverlay(const COverlay&) = delete;
    COverlay& operator=(const COverlay&) = delete;

    void Build();
    void Draw();
    void Release();

    float fColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool bBlend = false;
    GLenum nBlendSrc = GL_ONE;
    GLenum nBlendDst = GL_ONE;
    bool bDepthWrite = false;
    GLuint nList = 0;
    bool bBuilt = false;
};
