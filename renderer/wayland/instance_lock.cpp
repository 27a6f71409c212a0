#include "renderer/wayland/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
    // The lock lives in the user's own runtime folder, which nobody else may write. A shared folder
    // such as /tmp would let another user plant the file and hold it, and every start would then end
    // at once as if a saver already ran: no runtime folder, no saver.
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    if (!pszRuntime || pszRuntime[0] != '/') {
        sError = "XDG_RUNTIME_DIR is not set to a folder; the session's runtime folder holds the lock that "
                 "keeps one saver per session";
        return Result::Failed;
    }
    const std::string sPath = std::string(pszRuntime) + "/vantorel-wayland-" + FileNamePart(sDisplay) + "-" + sKind + ".lock";

    nFd = open(sPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (nFd < 0) {
        sError = "cannot open " + sPath + ": " + std::strerror(errno);
        return Result::Failed;
    }
    struct stat st {};
    if (fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(nFd);
        nFd = -1;
        sError = sPath + " is not a file of this user's own; remove it";
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
