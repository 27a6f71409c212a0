// The renderer's fixed projection and initial GL state, shared by the window and the frame renderer.
#pragma once

// Viewport and the 45-degree perspective for a client area (a height of 0 counts as 1).
void ResizeViewport(int nWidth, int nHeight);

// Initial GL state, then the scene's set-up; true when the scene reported success.
bool InitRenderState();
