// ReadDibFile on Windows: the file is mapped, checked by the portable parser (so a short or lying file
// is refused before GDI could read past the view), and GDI converts its pixels into a 24-bit section.
#include <windows.h>

#include <cstring>
#include <new>
#include <string>

#include "renderer/dib_decode.h"
#include "renderer/dib_header.h"
#include "renderer/reader_message.h"
#include "renderer/textures.h"

namespace {

// The file, its mapping and its view, released in reverse order.
class CMappedFile {
public:
    explicit CMappedFile(const char* pszPath) {
        hFile = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) return;
        LARGE_INTEGER nLength{};
        if (!GetFileSizeEx(hFile, &nLength)) return;
        // An empty file cannot be mapped.
        hMapping = CreateFileMappingA(hFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (!hMapping) return;
        pView = static_cast<const uint8_t*>(MapViewOfFile(hMapping, FILE_MAP_READ, 0, 0, 0));
        if (pView) nSize = static_cast<size_t>(nLength.QuadPart);
    }
    ~CMappedFile() {
        if (pView) UnmapViewOfFile(pView);
        if (hMapping) CloseHandle(hMapping);
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    const uint8_t* View() const { return pView; }
    size_t Size() const { return nSize; }

private:
    HANDLE hFile = INVALID_HANDLE_VALUE;
    HANDLE hMapping = nullptr;
    const uint8_t* pView = nullptr;
    size_t nSize = 0;
};

// The source description GDI reads: a 40-byte info header, then the three bit-field masks or the colour
// table (at most 256 entries, all an index can reach).
struct SourceInfo {
    BITMAPINFOHEADER header;
    RGBQUAD aColors[256];
};

// A memory DC with a 24-bit bottom-up DIB section selected into it.
class CSection {
public:
    CSection(LONG nWidth, LONG nRows) {
        hDC = CreateCompatibleDC(nullptr);
        if (!hDC) return;
        BITMAPINFO target{};
        target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        target.bmiHeader.biWidth = nWidth;
        target.bmiHeader.biHeight = nRows;
        target.bmiHeader.biPlanes = 1;
        target.bmiHeader.biBitCount = 24;
        target.bmiHeader.biCompression = BI_RGB;
        target.bmiHeader.biSizeImage = static_cast<DWORD>(nRows * nWidth * 3);
        void* pvBits = nullptr;
        hBitmap = CreateDIBSection(hDC, &target, DIB_RGB_COLORS, &pvBits, nullptr, 0);
        if (!hBitmap) return;
        hOld = SelectObject(hDC, hBitmap);
        if (hOld && hOld != HGDI_ERROR) pBits = static_cast<const uint8_t*>(pvBits);
    }
    ~CSection() {
        if (hOld && hOld != HGDI_ERROR) SelectObject(hDC, hOld);
        if (hBitmap) DeleteObject(hBitmap);
        if (hDC) DeleteDC(hDC);
    }
    CSection(const CSection&) = delete;
    CSection& operator=(const CSection&) = delete;

    bool IsReady() const { return pBits != nullptr; }
    HDC Dc() const { return hDC; }
    HBITMAP Bitmap() const { return hBitmap; }
    const uint8_t* Bits() const { return pBits; }

private:
    HDC hDC = nullptr;
    HBITMAP hBitmap = nullptr;
    HGDIOBJ hOld = nullptr;
    const uint8_t* pBits = nullptr;
};

void ShowResult(DibResult eResult) { ShowReaderMessage(DibResultMessage(eResult)); }

// Fills the source description from the checked layout. Fields GDI would trust are set from what was
// checked, not from the file: the image size, and the colours used (clamped to what an index reaches).
void BuildSourceInfo(const uint8_t* pView, const DibLayout& layout, SourceInfo& info) {
    std::memset(&info, 0, sizeof info);
    const DibHeader& header = layout.header;
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = header.nWidth;
    info.header.biHeight = header.nHeight;
    info.header.biPlanes = header.nPlanes;
    info.header.biBitCount = header.nBitCount;
    info.header.biCompression = header.nCompression;
    info.header.biSizeImage = static_cast<DWORD>(layout.nBitsSize);
    info.header.biXPelsPerMeter = header.nXPelsPerMeter;
    info.header.biYPelsPerMeter = header.nYPelsPerMeter;
    info.header.biClrUsed = layout.nPaletteEntries;
    info.header.biClrImportant = 0;
    if (layout.bMasksInFile) {
        std::memcpy(info.aColors, pView + layout.nHeaderOffset + header.nSize, 12);
        return;
    }
    const uint8_t* pEntry = pView + layout.nColorTableOffset;
    for (uint32_t i = 0; i < layout.nPaletteEntries; ++i, pEntry += layout.nColorEntrySize) {
        info.aColors[i].rgbBlue = pEntry[0];
        info.aColors[i].rgbGreen = pEntry[1];
        info.aColors[i].rgbRed = pEntry[2];
    }
}

}  // namespace

RgbImage* ReadDibFile(const char* pszPath) {
    const CMappedFile file(pszPath);
    if (!file.View()) {
        const std::string sText = std::string("Failed to open DIB file ") + (pszPath ? pszPath : "") + ".\n";
        ShowReaderMessage(sText.c_str());
        return nullptr;
    }
    DibLayout layout;
    const DibResult eResult = ParseDib(file.View(), file.Size(), layout);
    if (eResult != DibResult::kOk) {
        ShowResult(eResult);
        return nullptr;
    }
    SourceInfo* pInfo = new (std::nothrow) SourceInfo;
    const CSection section(layout.nWidth, layout.nRows);
    if (!pInfo || !section.IsReady()) {
        delete pInfo;
        ShowResult(DibResult::kOutOfMemory);
        return nullptr;
    }
    BuildSourceInfo(file.View(), layout, *pInfo);
    const int nLines = SetDIBits(section.Dc(), section.Bitmap(), 0, static_cast<UINT>(layout.nRows),
                                 file.View() + layout.nBitsOffset, reinterpret_cast<BITMAPINFO*>(pInfo),
                                 DIB_RGB_COLORS);
    delete pInfo;
    if (nLines == 0) {
        ShowResult(DibResult::kConversionError);
        return nullptr;
    }
    GdiFlush();
    RgbImage* pImage = NewRgbImage(layout.nWidth, layout.header.nHeight, layout.nRows);
    if (!pImage) {
        ShowResult(DibResult::kOutOfMemory);
        return nullptr;
    }
    // The section is bottom-up like the output; its rows are padded to 4 bytes.
    const size_t nRowBytes = static_cast<size_t>(layout.nWidth) * 3;
    const size_t nStride = (nRowBytes + 3) & ~size_t(3);
    uint8_t* pOut = pImage->pData;
    for (int32_t y = 0; y < layout.nRows; ++y) {
        const uint8_t* pRow = section.Bits() + nStride * y;
        for (int32_t x = 0; x < layout.nWidth; ++x, pOut += 3) {
            pOut[0] = pRow[3 * x + 2];
            pOut[1] = pRow[3 * x + 1];
            pOut[2] = pRow[3 * x];
        }
    }
    return pImage;
}
