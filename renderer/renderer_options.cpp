#include "renderer/renderer_options.h"

#include <sstream>
#include <string>
#include <vector>

#include "renderer/stepped_scene_clock.h"

SRendererOptions ParseRendererCommandLine(const char* pszCommandLine) {
    SRendererOptions options;
    if (pszCommandLine == nullptr) return options;
    std::istringstream in(pszCommandLine);
    std::vector<std::string> aWords;
    for (std::string sWord; in >> sWord;) aWords.push_back(sWord);
    uint64_t nMs = 0;
    if (aWords.size() == 2 && aWords[0] == "--time" && ParseSceneSeconds(aWords[1].c_str(), nMs)) {
        options.bPinned = true;
        options.nPinnedMs = nMs;
    }
    return options;
}
