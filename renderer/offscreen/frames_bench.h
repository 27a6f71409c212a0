// vantorel-frames --bench: what the renderer's frame and set-up cost on this machine, with the floor
// they are measured against taken in the same run.
#pragma once
#include <string>

#include "renderer/offscreen/egl_context.h"
#include "renderer/scene.h"

// Draws nFrames frames of the real scene (and as many of the floor and at a 1 x 1 viewport,
// interleaved) on a nWidth x nHeight target, times the mesh and the texture set-up, and prints one line
// per figure: "name median min max unit". sTextures is the folder with Nerlo01.bmp .. Nerlo03.bmp.
// The scene is drawn in layer form eForm; the set-up is timed in both forms, and each form's first
// set-up, frames and peak resident memory are measured side by side in fresh processes of this
// program (RunFramesBenchForm, by running /proc/self/exe again), two of each taking turns.
// Returns the program's exit code.
int RunFramesBench(int nFrames, const std::string& sTextures, int nWidth, int nHeight, LayerForm eForm);

// One such fresh process: the scene's first set-up in eForm, nFrames frames over the timeline, the
// last read back as a still is, and the process's peak resident size, one "name value" line each.
int RunFramesBenchForm(int nFrames, const std::string& sTextures, int nWidth, int nHeight, LayerForm eForm);

// Opens the frame renderer's nWidth x nHeight target on cContext, saying why on stderr when it cannot.
bool OpenFramesContext(CEglContext& cContext, int nWidth, int nHeight);
