#include "renderer/wayland/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A display name may be a path to the socket; a file name takes no slashes.
std::string FileNamePart(const std::string& s) {
    std::string r;
    for (char c : s) r += (c == '/') ? '_' : c;
    return r;
}

}  // namespace

CInstanceLock::~CInstanceLock() {
    if (nFd >= 0) close(nFd);
}

CInstanceLock::Result CInstanceLock::Take(const std::string& sDisplay, const std::string& sKind, std::string& sError) {
    std::string sPath;
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string sName = "vantorel-wayland-" + FileNamePart(sDisplay) + "-" + sKind + ".lock";
    if (pszRuntime && pszRuntime[0] == '/') sPath = std::string(pszRuntime) + "/" + sName;
    // Without a runtime folder, /tmp is shared: the user's number keeps users apart.
    else sPath = "/tmp/" + std::to_string(getuid()) + "-" + sName;

    nFd = open(sPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (nFd < 0) {
        sError = "cannot open " + sPath + ": " + std::strerror(errno);
        return Result::Failed;
    }
    if (flock(nFd, LOCK_EX | LOCK_NB) == 0) return Result::Taken;
    const int nError = errno;
    close(nFd);
    nFd = -1;
    if (nError == EWOULDBLOCK) return Result::HeldByAnother;
    sError = "cannot lock " + sPath + ": " + std::strerror(nError);
    return Result::Failed;
}
