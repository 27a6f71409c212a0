// PNG output for the frame renderer: 8-bit RGB, top row first.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes the picture to sPath (through a temporary file, so a failed write leaves no half file).
// False with the reason in sError.
bool WritePngRgb(const std::string& sPath, int nWidth, int nHeight, const std::vector<uint8_t>& aRgb,
                 std::string& sError);

// Reads an 8-bit RGB or RGBA PNG as RGB rows, top row first (alpha dropped). False on failure.
bool ReadPngRgb(const std::string& sPath, int& nWidth, int& nHeight, std::vector<uint8_t>& aRgb);
