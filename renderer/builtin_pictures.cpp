// Gives out the pictures that the build embeds from assets/pictures.
#include "renderer/builtin_pictures.h"

#include <cstdio>
#include <string>

extern const unsigned char kBuiltinPicture1[];
extern const unsigned char kBuiltinPicture2[];
extern const unsigned char kBuiltinPicture3[];
extern const std::size_t kBuiltinPicture1Size;
extern const std::size_t kBuiltinPicture2Size;
extern const std::size_t kBuiltinPicture3Size;

BuiltinPicture GetBuiltinPicture(int nNumber) {
    switch (nNumber) {
    case 1: return {kBuiltinPicture1, kBuiltinPicture1Size};
    case 2: return {kBuiltinPicture2, kBuiltinPicture2Size};
    case 3: return {kBuiltinPicture3, kBuiltinPicture3Size};
    default: return {nullptr, 0};
    }
}

bool WriteBuiltinPicture(int nNumber, const char* pszPath) {
    const BuiltinPicture picture = GetBuiltinPicture(nNumber);
    if (picture.pBytes == nullptr || pszPath == nullptr) return false;
    const std::string sTemporary = std::string(pszPath) + ".part";
    std::FILE* pFile = std::fopen(sTemporary.c_str(), "wb");
    if (pFile == nullptr) return false;
    const bool bWritten = std::fwrite(picture.pBytes, 1, picture.nSize, pFile) == picture.nSize;
    const bool bClosed = std::fclose(pFile) == 0;
    if (!bWritten || !bClosed) {
        std::remove(sTemporary.c_str());
        return false;
    }
    // rename does not replace an existing file on Windows' C runtime: remove it first.
    std::remove(pszPath);
    if (std::rename(sTemporary.c_str(), pszPath) != 0) {
        std::remove(sTemporary.c_str());
        return false;
    }
    return true;
}
