// The show form's pictures, carried as BITMAP resources, written out as texture files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Nerlo_B {

// Writes the BITMAP resource as a 24-bit bottom-up BMP file; false when nothing was written.
bool SaveBitmapResource(HINSTANCE hInstance, int nResourceId, const std::string& sPath);

// Writes the bytes under a temporary name beside sPath and then puts that file in sPath's place, so
// a reader never finds half a file; false (and the old file untouched) when any step failed.
bool WriteFileReplacing(const std::string& sPath, const std::vector<std::uint8_t>& aBytes);

}  // namespace Nerlo_B
