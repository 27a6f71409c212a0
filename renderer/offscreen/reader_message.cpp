// Off Windows the reader's messages go to standard error: there is no one to click a box away.
#include "renderer/reader_message.h"

#include <cstdio>

void ShowReaderMessage(const char* pszText) { std::fprintf(stderr, "Error: %s\n", pszText); }
