// ReadDibFile without GDI: the whole file into memory, then the portable decoder.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "renderer/dib_decode.h"
#include "renderer/reader_message.h"
#include "renderer/textures.h"

namespace {

// Far beyond any picture the decoder accepts; also what ftell reports for a directory.
constexpr long kMaxFileBytes = 1L << 30;

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};

void ShowOpenFailure(const char* pszPath) {
    const std::string sText = std::string("Failed to open DIB file ") + (pszPath ? pszPath : "") + ".\n";
    ShowReaderMessage(sText.c_str());
}

}  // namespace

RgbImage* ReadDibFile(const char* pszPath) {
    std::unique_ptr<std::FILE, FileCloser> pFile(pszPath ? std::fopen(pszPath, "rb") : nullptr);
    long nLength = -1;
    if (pFile && std::fseek(pFile.get(), 0, SEEK_END) == 0) nLength = std::ftell(pFile.get());
    // Windows cannot map an empty file or open a directory; they fail the same way here.
    if (nLength <= 0 || nLength > kMaxFileBytes || std::fseek(pFile.get(), 0, SEEK_SET) != 0) {
        ShowOpenFailure(pszPath);
        return nullptr;
    }
    const size_t nSize = static_cast<size_t>(nLength);
    std::unique_ptr<uint8_t[]> pBytes(new (std::nothrow) uint8_t[nSize]);
    if (!pBytes) {
        ShowReaderMessage(DibResultMessage(DibResult::kOutOfMemory));
        return nullptr;
    }
    if (std::fread(pBytes.get(), 1, nSize, pFile.get()) != nSize) {
        ShowOpenFailure(pszPath);
        return nullptr;
    }
    DibResult eResult = DibResult::kOk;
    RgbImage* pImage = DecodeDib(pBytes.get(), nSize, eResult);
    if (!pImage) ShowReaderMessage(DibResultMessage(eResult));
    return pImage;
}
