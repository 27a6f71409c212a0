// vantorel-frames --bench: what the renderer's frame and set-up cost on this machine, with the floor
// they are measured against taken in the same run.
#pragma once
#include <string>

// Draws nFrames frames of the real scene (and as many of the floor and at a 1 x 1 viewport,
// interleaved) on a nWidth x nHeight target, times the mesh and the texture set-up, and prints one line
// per figure: "name median min max unit". sTextures is the folder with Nerlo01.bmp .. Nerlo03.bmp.
// Returns the program's exit code.
int RunFramesBench(int nFrames, const std::string& sTextures, int nWidth, int nHeight);
