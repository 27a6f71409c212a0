// The Wayland session as the saver sees it: the connection, the compositor's globals, one view per
// output (added and removed as the registry announces outputs), the seat's keyboard and pointer, and
// one EGL context that draws every view, so the pictures are loaded once.
#pragma once
#include <EGL/egl.h>
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderer/saver_options.h"
#include "renderer/wake_rules.h"
#include "renderer/wayland/output_view.h"

class CSaverDisplay {
public:
    CSaverDisplay(const SaverOptions& cOptions, CWakeRules& cRules);
    ~CSaverDisplay();
    CSaverDisplay(const CSaverDisplay&) = delete;
    CSaverDisplay& operator=(const CSaverDisplay&) = delete;

    // Connects to the display (the option's, else $WAYLAND_DISPLAY), binds the globals, sets up EGL
    // and makes a surface on every output. False with a one-line reason when any of it cannot be done.
    bool Open(std::string& sError);

    // True (with a reason) when the desktop offers no layer-shell and fullscreen windows stand in.
    bool UsesWindows() const { return cKit.pLayerShell == nullptr; }

    // Waits up to nTimeoutMs (-1: for ever) for the compositor or for nWakeFd to become readable,
    // and dispatches what came. False when the connection is lost. bWakeFd: nWakeFd is readable.
    bool Wait(int nTimeoutMs, int nWakeFd, bool& bWakeFd);

    // Every view whose picture is due, in output order.
    std::vector<COutputView*> DueViews();
    // Makes the context current on the view's surface (the first time also swapping without waiting).
    // A surface the context cannot be made current on is a picture lost: tried again shortly, and made
    // again when that keeps failing.
    bool MakeCurrent(COutputView& cView);
    // Shows what was drawn for the view and asks for its next frame. A picture the driver could not
    // show is drawn again shortly; a view that keeps failing gets a new surface at the next Wait, and the
    // surface it replaces stays until the new one has shown its first picture.
    bool Present(COutputView& cView);
    // The output's name for messages ("HEADLESS-1", or "output 2" where the compositor gives none).
    std::string ViewName(const COutputView& cView) const;

private:
    struct SOutput {
        CSaverDisplay* pOwner = nullptr;
        uint32_t nGlobal = 0;
        wl_output* pOutput = nullptr;
        int nScale = 1, nPendingScale = 1;
        int nModeWidth = 0, nModeHeight = 0;
        std::string sName;
        bool bDescribed = false;  // its first done event came: scale and mode are known
        int nRemakes = 0;         // surfaces made again for this output in this run
        bool bRemakesSpent = false;  // said once that no more are made
        std::unique_ptr<COutputView> pView;
        // The surface a new one replaces: it stays on screen until the new one shows its first picture.
        std::unique_ptr<COutputView> pRetiring;
    };

    static const wl_registry_listener kRegistryListener;
    static const wl_output_listener kOutputListener;
    static const wl_seat_listener kSeatListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_touch_listener kTouchListener;
    // How many times an output's surface is made again in one run. A driver that fails most pictures,
    // but not all, would otherwise have surfaces made for ever; past this the output draws on with the
    // surface it has if that ever showed a picture, and is given up if not.
    static constexpr int kMaxRemakes = 3;
    static const xdg_wm_base_listener kWmBaseListener;
    static const wl_callback_listener kKeyboardCheckListener;

    void AddOutput(uint32_t nGlobal, uint32_t nVersion);
    void RemoveGlobal(uint32_t nGlobal);
    void OutputDescribed(SOutput& cOutput);
    void MakeView(SOutput& cOutput);
    void DropClosedViews();
    void RemakeBrokenViews();
    // After the run's first picture: a saver on top holds the keyboard from then on, so a keyboard that
    // has not come by the time the compositor has taken that picture is held by something above it.
    void CheckKeyboardCame();
    // A layer-shell saver's keyboard leaves only to a locker: the wake rules hear of its comings and goings.
    bool TracksKeyboard() const { return cKit.pLayerShell && !cKit.bBackground; }
    unsigned ViewCount() const;
    bool OpenEgl(std::string& sError);

    SaverOptions cOptions;
    CWakeRules& cRules;
    SSurfaceKit cKit;
    wl_display* pDisplay = nullptr;
    wl_registry* pRegistry = nullptr;
    wl_seat* pSeat = nullptr;
    wl_keyboard* pKeyboard = nullptr;
    wl_pointer* pPointer = nullptr;
    wl_touch* pTouch = nullptr;
    bool bKeyboardEntered = false;  // the keyboard came to one of the saver's surfaces at least once
    bool bKeyboardChecked = false;
    wl_callback* pKeyboardCheck = nullptr;  // the round trip after the first picture
    // For the tests: swaps taken as refused by the driver, the first nSwapsToFail, or with nSwapCycle
    // set nSwapsToFail of every nSwapCycle for ever (the first of each cycle shown); and how many of the
    // first surfaces made the context is never made current on.
    int nSwapsToFail = 0, nSwapCycle = 0;
    unsigned long nSwaps = 0;
    int nSurfacesRefusing = 0;
    EGLContext eglContext = EGL_NO_CONTEXT;
    std::vector<std::unique_ptr<SOutput>> aOutputs;
    bool bStarted = false;  // the globals are bound: outputs announced from now on get views at once
    bool bViewsMade = false;
};
