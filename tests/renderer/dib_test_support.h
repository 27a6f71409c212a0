// Helpers for the DIB tests: files in and out, and a builder for small BMP files whose every field the
// test chooses (so a test can make a header lie in exactly one way).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace dibtest {

inline std::vector<uint8_t> ReadBytes(const std::string& sPath) {
    std::ifstream file(sPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool WriteBytes(const std::string& sPath, const std::vector<uint8_t>& aBytes) {
    std::FILE* pFile = std::fopen(sPath.c_str(), "wb");
    if (!pFile) return false;
    const bool bOk = aBytes.empty() || std::fwrite(aBytes.data(), 1, aBytes.size(), pFile) == aBytes.size();
    return std::fclose(pFile) == 0 && bOk;
}

// A heap block of exactly the bytes given, so AddressSanitizer sees any read past its end.
class CExactBuffer {
public:
    explicit CExactBuffer(const std::vector<uint8_t>& aBytes, size_t nLength)
        : nSize(nLength), pBytes(new uint8_t[nLength ? nLength : 1]) {
        std::copy(aBytes.begin(), aBytes.begin() + nLength, pBytes.get());
    }
    explicit CExactBuffer(const std::vector<uint8_t>& aBytes) : CExactBuffer(aBytes, aBytes.size()) {}
    const uint8_t* Data() const { return pBytes.get(); }
    size_t Size() const { return nSize; }

private:
    size_t nSize;
    std::unique_ptr<uint8_t[]> pBytes;
};

inline void PutU16(std::vector<uint8_t>& a, size_t nAt, uint32_t n) {
    a[nAt] = static_cast<uint8_t>(n);
    a[nAt + 1] = static_cast<uint8_t>(n >> 8);
}

inline void PutU32(std::vector<uint8_t>& a, size_t nAt, uint32_t n) {
    for (int i = 0; i < 4; ++i) a[nAt + i] = static_cast<uint8_t>(n >> (8 * i));
}

// The fields of a small BMP; Bytes() lays them out as a file ("BM" + 14-byte header) or a bare DIB.
struct BmpRecipe {
    uint32_t nHeaderSize = 40;
    int32_t nWidth = 1;
    int32_t nHeight = 1;
    uint16_t nPlanes = 1;
    uint16_t nBitCount = 24;
    uint32_t nCompression = 0;
    uint32_t nSizeImage = 0;
    uint32_t nClrUsed = 0;
    std::vector<uint32_t> aMasks;     // written after a 40-byte header
    std::vector<uint32_t> aPalette;   // 0x00RRGGBB; 3 bytes an entry after a core header
    std::vector<uint8_t> aBits;
    bool bFile = true;
    int64_t nOffBitsOverride = -1;    // a lying pixel offset when >= 0

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> a(bFile ? 14 : 0);
        const size_t nHeaderAt = a.size();
        a.resize(nHeaderAt + (nHeaderSize == 12 ? 12 : (nHeaderSize < 40 ? 40 : nHeaderSize)));
        PutU32(a, nHeaderAt, nHeaderSize);
        if (nHeaderSize == 12) {
            PutU16(a, nHeaderAt + 4, static_cast<uint32_t>(nWidth));
            PutU16(a, nHeaderAt + 6, static_cast<uint32_t>(nHeight));
            PutU16(a, nHeaderAt + 8, nPlanes);
            PutU16(a, nHeaderAt + 10, nBitCount);
        } else {
            PutU32(a, nHeaderAt + 4, static_cast<uint32_t>(nWidth));
            PutU32(a, nHeaderAt + 8, static_cast<uint32_t>(nHeight));
            PutU16(a, nHeaderAt + 12, nPlanes);
            PutU16(a, nHeaderAt + 14, nBitCount);
            PutU32(a, nHeaderAt + 16, nCompression);
            PutU32(a, nHeaderAt + 20, nSizeImage);
            PutU32(a, nHeaderAt + 32, nClrUsed);
        }
        for (uint32_t nMask : aMasks) {
            a.resize(a.size() + 4);
            PutU32(a, a.size() - 4, nMask);
        }
        for (uint32_t nColour : aPalette) {
            a.push_back(static_cast<uint8_t>(nColour));
            a.push_back(static_cast<uint8_t>(nColour >> 8));
            a.push_back(static_cast<uint8_t>(nColour >> 16));
            if (nHeaderSize != 12) a.push_back(0);
        }
        const size_t nOffBits = a.size();
        a.insert(a.end(), aBits.begin(), aBits.end());
        if (bFile) {
            a[0] = 'B';
            a[1] = 'M';
            PutU32(a, 2, static_cast<uint32_t>(a.size()));
            PutU32(a, 10, nOffBitsOverride >= 0 ? static_cast<uint32_t>(nOffBitsOverride)
                                                : static_cast<uint32_t>(nOffBits));
        }
        return a;
    }
};

// A recipe for a plain picture of the given size and depth with these pixel bytes.
inline BmpRecipe MadePicture(int nWidth, int nHeight, uint16_t nBitCount, std::vector<uint8_t> aBits) {
    BmpRecipe recipe;
    recipe.nWidth = nWidth;
    recipe.nHeight = nHeight;
    recipe.nBitCount = nBitCount;
    recipe.aBits = std::move(aBits);
    return recipe;
}

}  // namespace dibtest
