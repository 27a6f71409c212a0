// The page's OpenGL 1.x: the part of it the scene calls, carried out on WebGL 2 by gl_layer.cpp.
// The portable renderer calls the usual gl* and glu* names; this layer defines them for the web build.
#pragma once

// Compiles the layer's shaders and sets up its buffers on the current WebGL 2 context; false when the
// context refuses them.
bool StartGlLayer();

// After the browser gave back a lost context: forgets every texture, list and matrix the layer kept
// for the context that is gone, then starts again as StartGlLayer does.
bool RestartGlLayer();

// The two ARB multitexture entries the scene calls, handed out by the web's GetGlProcAddress.
extern "C" void LayerActiveTextureArb(unsigned int nUnit);
extern "C" void LayerMultiTexCoord2fvArb(unsigned int nUnit, const float* pfCoords);
