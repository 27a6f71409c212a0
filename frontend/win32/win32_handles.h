// RAII owners for the few kinds of handle the front-end holds.
#pragma once
#include <windows.h>

namespace Nerlo_B {

class CFileHandle {
public:
    explicit CFileHandle(HANDLE hIn) : h(hIn) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    bool IsOpen() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    HANDLE Get() const { return h; }
    // Closes now; false when closing failed (for a written file: its data may not be complete).
    bool Close() {
        if (!IsOpen()) return true;
        const bool bOk = ::CloseHandle(h) != FALSE;
        h = INVALID_HANDLE_VALUE;
        return bOk;
    }

private:
    HANDLE h;
};

class CGdiBitmap {
public:
    explicit CGdiBitmap(HBITMAP hIn) : h(hIn) {}
    ~CGdiBitmap() {
        if (h) ::DeleteObject(h);
    }
    CGdiBitmap(const CGdiBitmap&) = delete;
    CGdiBitmap& operator=(const CGdiBitmap&) = delete;
    HBITMAP Get() const { return h; }

private:
    HBITMAP h;
};

class CScreenDc {
public:
    CScreenDc() : h(::GetDC(nullptr)) {}
    ~CScreenDc() {
        if (h) ::ReleaseDC(nullptr, h);
    }
    CScreenDc(const CScreenDc&) = delete;
    CScreenDc& operator=(const CScreenDc&) = delete;
    HDC Get() const { return h; }

private:
    HDC h;
};

}  // namespace Nerlo_B
