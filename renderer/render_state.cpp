#include "renderer/render_state.h"

#include "renderer/gl.h"
#include "renderer/scene.h"

void ResizeViewport(int nWidth, int nHeight) {
    if (nHeight == 0) nHeight = 1;
    glViewport(0, 0, nWidth, nHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(nWidth) / static_cast<double>(nHeight),
                   static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool InitRenderState() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    return InitScene() != 0;
}
