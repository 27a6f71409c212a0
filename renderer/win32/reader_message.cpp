// The reader's messages on Windows: a modal "Error" box owned by the window that has the focus.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "renderer/reader_message.h"

void ShowReaderMessage(const char* pszText) {
    // Test programs under Wine set VANTOREL_READER_MESSAGES=stderr: nobody is there to close a box, and
    // an open box would stall the whole run. The renderer itself never has the variable set.
    char szMode[16] = "";
    const DWORD nLength = GetEnvironmentVariableA("VANTOREL_READER_MESSAGES", szMode, sizeof szMode);
    if (nLength > 0 && nLength < sizeof szMode && std::strcmp(szMode, "stderr") == 0) {
        std::fprintf(stderr, "Error: %s\n", pszText);
        std::fflush(stderr);
        return;
    }
    MessageBoxA(GetFocus(), pszText, "Error", MB_OK);
}
