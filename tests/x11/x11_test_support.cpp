#include "tests/x11/x11_test_support.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "renderer/offscreen/png_file.h"

extern char** environ;

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void SleepMs(int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); }

std::string ReadFile(const std::string& sPath) {
    std::ifstream in(sPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool CXvfb::Start(int nWidth, int nHeight) {
    int aPipe[2];
    if (pipe(aPipe) != 0) return false;
    const std::string sFd = std::to_string(aPipe[1]);
    const std::string sScreen = std::to_string(nWidth) + "x" + std::to_string(nHeight) + "x24";
    nPid = fork();
    if (nPid == 0) {
        // A test program that dies takes its server with it (and the hack, which loses its display).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(aPipe[0]);
        const int nNull = open("/dev/null", O_WRONLY);
        dup2(nNull, 1);
        dup2(nNull, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", sFd.c_str(), "-screen", "0", sScreen.c_str(), "+extension", "GLX",
               "-nolisten", "tcp", "-noreset", "-br", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(aPipe[1]);
    // Xvfb writes the display number it took, then a newline, once it accepts connections.
    std::string sNumber;
    pollfd p {aPipe[0], POLLIN, 0};
    const uint64_t nDeadline = NowMs() + 20000;
    while (NowMs() < nDeadline && sNumber.find('\n') == std::string::npos) {
        if (poll(&p, 1, 200) <= 0) continue;
        char c[32];
        const ssize_t n = read(aPipe[0], c, sizeof c);
        if (n <= 0) break;
        sNumber.append(c, static_cast<size_t>(n));
    }
    close(aPipe[0]);
    if (sNumber.find('\n') == std::string::npos) {
        sError = "Xvfb did not start (is it installed?)";
        Stop();
        return false;
    }
    sName = ":" + sNumber.substr(0, sNumber.find('\n'));
    return true;
}

void CXvfb::Stop() {
    if (nPid > 0) {
        kill(nPid, SIGTERM);
        waitpid(nPid, nullptr, 0);
    }
    nPid = -1;
}

bool CChild::Start(const std::vector<std::string>& aArgs, const std::vector<std::string>& aEnv,
                   const std::string& sStderrFile) {
    std::vector<std::string> aEnvironment;
    for (char** p = environ; *p; ++p) {
        const std::string s = *p;
        bool bReplaced = false;
        for (const std::string& sNew : aEnv)
            bReplaced |= s.compare(0, sNew.find('=') + 1, sNew, 0, sNew.find('=') + 1) == 0;
        if (!bReplaced) aEnvironment.push_back(s);
    }
    for (const std::string& sNew : aEnv)
        if (sNew.back() != '=') aEnvironment.push_back(sNew);  // "NAME=" removes NAME
    std::vector<char*> aArgv, aEnvp;
    for (const std::string& s : aArgs) aArgv.push_back(const_cast<char*>(s.c_str()));
    aArgv.push_back(nullptr);
    for (std::string& s : aEnvironment) aEnvp.push_back(&s[0]);
    aEnvp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, sStderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nResult = posix_spawn(&nPid, aArgv[0], &fa, nullptr, aArgv.data(), aEnvp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (nResult != 0) nPid = -1;
    return nResult == 0;
}

int CChild::WaitMs(int nTimeoutMs) {
    if (nPid <= 0) return -1;
    const uint64_t nDeadline = NowMs() + static_cast<uint64_t>(nTimeoutMs);
    for (;;) {
        int nStatus = 0;
        if (waitpid(nPid, &nStatus, WNOHANG) == nPid) {
            nPid = -1;
            return nStatus;
        }
        if (NowMs() >= nDeadline) return -1;
        SleepMs(5);
    }
}

bool CChild::Running() { return nPid > 0 && WaitMs(0) == -1; }

void CChild::Kill() {
    if (nPid > 0) {
        kill(nPid, SIGKILL);
        waitpid(nPid, nullptr, 0);
    }
    nPid = -1;
}

Window FindWindowByName(Display* pDisplay, const std::string& sName) {
    Window nRoot = 0, nParent = 0;
    Window* pChildren = nullptr;
    unsigned nCount = 0;
    Window nFound = 0;
    if (!XQueryTree(pDisplay, DefaultRootWindow(pDisplay), &nRoot, &nParent, &pChildren, &nCount)) return 0;
    for (unsigned i = 0; i < nCount && !nFound; ++i) {
        char* pszName = nullptr;
        if (XFetchName(pDisplay, pChildren[i], &pszName) && pszName) {
            if (sName == pszName) nFound = pChildren[i];
            XFree(pszName);
        }
    }
    if (pChildren) XFree(pChildren);
    return nFound;
}

RgbPicture GrabWindow(Display* pDisplay, Window nWindow) {
    RgbPicture c;
    XWindowAttributes wa {};
    // Only a window on the screen has pixels to read.
    if (!XGetWindowAttributes(pDisplay, nWindow, &wa) || wa.map_state != IsViewable) return c;
    XImage* pImage = XGetImage(pDisplay, nWindow, 0, 0, wa.width, wa.height, AllPlanes, ZPixmap);
    if (!pImage) return c;
    c.nWidth = wa.width;
    c.nHeight = wa.height;
    c.aRgb.resize(static_cast<size_t>(c.nWidth) * c.nHeight * 3);
    uint8_t* p = c.aRgb.data();
    for (int y = 0; y < c.nHeight; ++y) {
        for (int x = 0; x < c.nWidth; ++x) {
            const unsigned long n = XGetPixel(pImage, x, y);
            *p++ = static_cast<uint8_t>((n & pImage->red_mask) >> 16);
            *p++ = static_cast<uint8_t>((n & pImage->green_mask) >> 8);
            *p++ = static_cast<uint8_t>(n & pImage->blue_mask);
        }
    }
    XDestroyImage(pImage);
    return c;
}

double Rmse(const RgbPicture& a, const RgbPicture& b) {
    if (a.nWidth != b.nWidth || a.nHeight != b.nHeight || a.aRgb.empty() || a.aRgb.size() != b.aRgb.size())
        return 1.0;
    double fSum = 0.0;
    for (size_t i = 0; i < a.aRgb.size(); ++i) {
        const double d = (static_cast<double>(a.aRgb[i]) - b.aRgb[i]) / 255.0;
        fSum += d * d;
    }
    return std::sqrt(fSum / static_cast<double>(a.aRgb.size()));
}

double ShareOfColour(const RgbPicture& a, uint8_t r, uint8_t g, uint8_t b) {
    if (a.aRgb.empty()) return 0.0;
    size_t n = 0;
    for (size_t i = 0; i + 2 < a.aRgb.size(); i += 3) n += a.aRgb[i] == r && a.aRgb[i + 1] == g && a.aRgb[i + 2] == b;
    return static_cast<double>(n) * 3.0 / static_cast<double>(a.aRgb.size());
}

RgbPicture HeadlessFrame(const std::string& sFramesTool, int nWidth, int nHeight, uint32_t nMs) {
    CTempFolder cOut;
    const std::string sCommand = sFramesTool + " --size " + std::to_string(nWidth) + "x" + std::to_string(nHeight) +
                                 " --out " + cOut.Path() + " --time " + std::to_string(nMs / 1000) + "." +
                                 std::to_string(1000 + nMs % 1000).substr(1) + " >/dev/null";
    RgbPicture c;
    if (std::system(sCommand.c_str()) != 0) return c;
    if (!ReadPngRgb(cOut.Path() + "/frame-" + std::to_string(nMs) + ".png", c.nWidth, c.nHeight, c.aRgb)) return {};
    return c;
}

CTempFolder::CTempFolder() {
    char szTemplate[] = "/tmp/vantorel-x11-test-XXXXXX";
    if (mkdtemp(szTemplate)) sPath = szTemplate;
}

CTempFolder::~CTempFolder() {
    std::error_code e;
    if (!sPath.empty()) std::filesystem::remove_all(sPath, e);
}

std::vector<std::string> CTempFolder::Entries() const {
    std::vector<std::string> a;
    std::error_code e;
    for (const auto& entry : std::filesystem::directory_iterator(sPath, e)) a.push_back(entry.path().string());
    return a;
}
