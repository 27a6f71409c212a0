/* Loaded into sway by the Wayland tests: outputs that can be powered off, as a monitor can. wlroots'
 * headless backend refuses to switch an output off or on ("output * dpms off" fails to commit), so a
 * headless sway never powers anything off. Here such a commit goes through: the rest of it is
 * committed, and the output is marked off (or on again) as a DRM output would be; sway then stops
 * drawing it, and stops asking its surfaces for frames, until it is on again. */
#define _GNU_SOURCE

#include <dlfcn.h>
#include <stdio.h>
#include <wlr/interfaces/wlr_output.h>
#include <wlr/types/wlr_output.h>

bool wlr_output_commit(struct wlr_output* pOutput) {
    static bool (*pfnCommit)(struct wlr_output*);
    if (!pfnCommit) pfnCommit = (bool (*)(struct wlr_output*))dlsym(RTLD_NEXT, "wlr_output_commit");
    const bool bPower = (pOutput->pending.committed & WLR_OUTPUT_STATE_ENABLED) != 0;
    const bool bOn = pOutput->pending.enabled;
    if (pfnCommit(pOutput)) return true;
    /* Only the switch itself, off from on or on from off; any other failure stays a failure. */
    if (!bPower || bOn == pOutput->enabled) return false;
    pOutput->pending.committed &= ~(uint32_t)WLR_OUTPUT_STATE_ENABLED;
    if (pOutput->pending.committed && !pfnCommit(pOutput)) return false;
    wlr_output_rollback(pOutput);
    wlr_output_update_enabled(pOutput, bOn);
    if (bOn) wlr_output_schedule_frame(pOutput);
    fprintf(stderr, "output-power: %s %s\n", pOutput->name, bOn ? "on" : "off");
    return true;
}
