// The renderer's projection and initial GL state, shared by every shell: the Windows renderer's window
// and its other monitors, the hack, the Wayland outputs, the page and the frame renderer.
#pragma once

// The vertical field of view, in degrees, of a view of nWidth x nHeight (a height of 0 counts as 1):
// 45 degrees, made for the 1024 x 768 screen, in every view of 4:3 or wider (the tube keeps its size,
// the backdrop fills the width); a narrower view widens it so that its horizontal field stays 4:3's
// and the whole tube stays in sight, as on a portrait monitor or a phone.
double SceneFieldOfViewY(int nWidth, int nHeight);

// Viewport and the scene's perspective (SceneFieldOfViewY) for a client area.
void ResizeViewport(int nWidth, int nHeight);

// Initial GL state, then the scene's set-up; true when the scene reported success.
bool InitRenderState();
