// One saver at a time in a Wayland session: idle daemons run their command again at every idle
// period, so a second start while one runs must leave it alone. The lock is a file in the user's
// runtime folder, named for the display, held for as long as the process lives.
#pragma once
#include <string>

class CInstanceLock {
public:
    CInstanceLock() = default;
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    enum class Result { Taken, HeldByAnother, Failed };
    // sDisplay: the Wayland display's name (as in WAYLAND_DISPLAY); sKind tells apart savers that may
    // run side by side (the screensaver and the background).
    Result Take(const std::string& sDisplay, const std::string& sKind, std::string& sError);

private:
    int nFd = -1;
};
