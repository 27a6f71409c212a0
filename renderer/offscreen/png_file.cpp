#include "renderer/offscreen/png_file.h"

#include <png.h>

#include <cstdio>

bool WritePngRgb(const std::string& sPath, int nWidth, int nHeight, const std::vector<uint8_t>& aRgb,
                 std::string& sError) {
    if (nWidth <= 0 || nHeight <= 0 || aRgb.size() != static_cast<size_t>(nWidth) * nHeight * 3) {
        sError = "picture size does not match its pixels";
        return false;
    }
    const std::string sTemp = sPath + ".part";
    FILE* pFile = std::fopen(sTemp.c_str(), "wb");
    if (!pFile) {
        sError = "cannot create " + sTemp;
        return false;
    }
    png_structp pPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pInfo = pPng ? png_create_info_struct(pPng) : nullptr;
    bool bOk = false;
    if (pPng && pInfo && setjmp(png_jmpbuf(pPng)) == 0) {
        png_init_io(pPng, pFile);
        png_set_IHDR(pPng, pInfo, nWidth, nHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(pPng, pInfo);
        for (int y = 0; y < nHeight; ++y)
            png_write_row(pPng, const_cast<png_bytep>(&aRgb[static_cast<size_t>(y) * nWidth * 3]));
        png_write_end(pPng, nullptr);
        bOk = true;
    }
    png_destroy_write_struct(&pPng, &pInfo);
    if (std::fclose(pFile) != 0) bOk = false;
    if (bOk && std::rename(sTemp.c_str(), sPath.c_str()) != 0) bOk = false;
    if (!bOk) {
        std::remove(sTemp.c_str());
        sError = "cannot write " + sPath;
    }
    return bOk;
}

bool ReadPngRgb(const std::string& sPath, int& nWidth, int& nHeight, std::vector<uint8_t>& aRgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, sPath.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    aRgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, aRgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    nWidth = static_cast<int>(image.width);
    nHeight = static_cast<int>(image.height);
    return true;
}
