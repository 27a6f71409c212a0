// The start-up timing log of both programs: when VANTOREL_TIMING_LOG names a file, each step of a
// start appends one line "program step unix-microseconds qpc-ticks" to it (wall clock, so the steps of
// the front-end, the renderer and the script that started them line up; the performance counter for
// steps inside one process). Without the variable nothing is written, and a step costs one check of a
// cached flag. Used by scripts/startup-report.sh.
#pragma once
#include <windows.h>

#include <cstdio>

namespace startup_timing {

inline const char* LogPath() {
    static char szPath[MAX_PATH] = {};
    static int nState = 0;  // 0 not looked up, 1 on, 2 off
    if (nState == 0) {
        const DWORD n = GetEnvironmentVariableA("VANTOREL_TIMING_LOG", szPath, sizeof szPath);
        nState = (n > 0 && n < sizeof szPath) ? 1 : 2;
    }
    return nState == 1 ? szPath : nullptr;
}

inline void Mark(const char* pszProgram, const char* pszStep) {
    const char* pszPath = LogPath();
    if (!pszPath) return;
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    LARGE_INTEGER qpc{};
    QueryPerformanceCounter(&qpc);
    const unsigned long long nTicks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    // FILETIME counts 100 ns from 1601; Unix time starts 11644473600 s later.
    const unsigned long long nUnixUs = (nTicks - 116444736000000000ULL) / 10;
    char szLine[160];
    const int nLength = std::snprintf(szLine, sizeof szLine, "%s %s %llu %lld\r\n", pszProgram, pszStep, nUnixUs,
                                      static_cast<long long>(qpc.QuadPart));
    if (nLength <= 0 || nLength >= static_cast<int>(sizeof szLine)) return;
    // Appends whole lines; both programs may hold the file at once.
    const HANDLE hFile = CreateFileA(pszPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return;
    DWORD nWritten = 0;
    WriteFile(hFile, szLine, static_cast<DWORD>(nLength), &nWritten, nullptr);
    CloseHandle(hFile);
}

}  // namespace startup_timing
