// The renderer's command line. The front-end starts it with none; `--time SECONDS` holds one moment of
// the scene still on every monitor (a desktop picture, a bug report, the Wine tests), as the hack's
// -time and the page's ?t do.
#pragma once
#include <cstdint>

struct SRendererOptions {
    bool bPinned = false;   // --time SECONDS was given and read
    uint64_t nPinnedMs = 0; // that moment, in milliseconds from the scene's start
};

// Reads the command line after the program name. Anything but nothing or exactly `--time SECONDS`
// (an unknown word, a missing or bad number, a negative one, words after it) gives the live scene, as
// with no command line: the renderer has nowhere to show a message, and a saver that would not start
// over a typing error would leave the screen unguarded.
SRendererOptions ParseRendererCommandLine(const char* pszCommandLine);
