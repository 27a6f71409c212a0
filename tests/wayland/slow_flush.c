/* Loaded into the saver by the Wayland tests: a compositor slow to read, as a busy desktop's is. From
 * two seconds after the first flush on, the 25th flush after the socket last had room starts a tenth of
 * a second in which flushes send nothing and fail with EAGAIN, as they do while its buffer is full. A client that then only
 * waits for the compositor to speak waits for ever: what it has not sent is what would make it speak. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <time.h>

struct wl_display;

static double Seconds(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

int wl_display_flush(struct wl_display* pDisplay) {
    static int (*pfnFlush)(struct wl_display*);
    static unsigned nCalls, nHeld;
    static double fFirst, fFullUntil;
    if (!pfnFlush) {
        pfnFlush = (int (*)(struct wl_display*))dlsym(RTLD_NEXT, "wl_display_flush");
        fFirst = Seconds();
    }
    const double fNow = Seconds();
    if (fNow - fFirst > 2.0 && fNow >= fFullUntil && ++nCalls % 25 == 0) {
        fFullUntil = fNow + 0.1;
        if (++nHeld == 1) fprintf(stderr, "slow-flush: the socket is full for a while\n");
    }
    if (fNow < fFullUntil) {
        errno = EAGAIN;
        return -1;
    }
    return pfnFlush(pDisplay);
}
