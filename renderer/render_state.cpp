#include "renderer/render_state.h"

#include "renderer/gl.h"
#include "renderer/scene.h"

#include <cmath>

namespace {

const double kFieldOfViewY = 45.0;
const double kPi = 3.14159265358979323846;

}  // namespace

double SceneFieldOfViewY(int nWidth, int nHeight) {
    if (nHeight <= 0) nHeight = 1;
    // Compared in whole numbers, so that exactly 4:3 (the renderer's 1024 x 768) keeps 45 degrees
    // exactly, not a rounding of the formula below.
    if (nWidth <= 0 || static_cast<long long>(nWidth) * 3 >= static_cast<long long>(nHeight) * 4) return kFieldOfViewY;
    const double dAspect = static_cast<double>(nWidth) / static_cast<double>(nHeight);
    const double dHalf = std::atan(std::tan(kFieldOfViewY / 2.0 * kPi / 180.0) * (4.0 / 3.0) / dAspect);
    return 2.0 * dHalf * 180.0 / kPi;
}

void ResizeViewport(int nWidth, int nHeight) {
    if (nHeight == 0) nHeight = 1;
    glViewport(0, 0, nWidth, nHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(SceneFieldOfViewY(nWidth, nHeight), static_cast<double>(nWidth) / static_cast<double>(nHeight),
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
