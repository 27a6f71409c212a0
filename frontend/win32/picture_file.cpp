#include "frontend/win32/picture_file.h"

#include <algorithm>

#include "frontend/bmp_writer.h"
#include "frontend/win32/win32_handles.h"

namespace Nerlo_B {

bool WriteFileReplacing(const std::string& sPath, const std::vector<std::uint8_t>& aBytes) {
    const std::string sTemporary = sPath + ".new";
    {
        CFileHandle file(::CreateFileA(sTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen()) return false;
        std::size_t nDone = 0;
        bool bOk = true;
        while (bOk && nDone < aBytes.size()) {
            DWORD nWritten = 0;
            const DWORD nChunk = static_cast<DWORD>(std::min<std::size_t>(aBytes.size() - nDone, 1u << 20));
            bOk = ::WriteFile(file.Get(), aBytes.data() + nDone, nChunk, &nWritten, nullptr) && nWritten == nChunk;
            nDone += nWritten;
        }
        if (!file.Close() || !bOk) {
            ::DeleteFileA(sTemporary.c_str());
            return false;
        }
    }
    if (!::MoveFileExA(sTemporary.c_str(), sPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(sTemporary.c_str());
        return false;
    }
    return true;
}

bool SaveBitmapResource(HINSTANCE hInstance, int nResourceId, const std::string& sPath) {
    CGdiBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(hInstance, MAKEINTRESOURCEW(nResourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap.Get()) return false;
    BITMAP info{};
    if (::GetObjectW(bitmap.Get(), sizeof info, &info) != sizeof info) return false;

    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = info.bmHeight;  // positive: rows come bottom first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 24;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> aPixels(Bmp24RowStride(info.bmWidth) * static_cast<std::size_t>(info.bmHeight));
    CScreenDc screen;
    if (aPixels.empty() || !screen.Get() ||
        ::GetDIBits(screen.Get(), bitmap.Get(), 0, static_cast<UINT>(info.bmHeight), aPixels.data(), &request,
                    DIB_RGB_COLORS) != info.bmHeight) {
        return false;
    }
    const std::vector<std::uint8_t> aFile = MakeBmp24(info.bmWidth, info.bmHeight, aPixels);
    return !aFile.empty() && WriteFileReplacing(sPath, aFile);
}

}  // namespace Nerlo_B
