/* Types one key on KWin through its fake input protocol (offered to any client when KWin runs with
 * KWIN_WAYLAND_NO_PERMISSION_CHECKS=1): the key of the Linux input code CODE pressed and let go.
 *   kwin_fake_key CODE        (1 is Escape, 57 the space bar)
 * Status 0 when KWin took both requests, 1 when there is no display or no fake input. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input *fake_input;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface, uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(int argc, char **argv) {
    char *end = NULL;
    const unsigned long code = argc == 2 ? strtoul(argv[1], &end, 10) : 0;
    if (argc != 2 || end == argv[1] || *end != '\0' || code == 0 || code > 767) {
        fprintf(stderr, "usage: kwin_fake_key CODE (a Linux input key code, 1 to 767)\n");
        return 2;
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "kwin_fake_key: no Wayland display\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (fake_input == NULL) {
        fprintf(stderr, "kwin_fake_key: the compositor offers no org_kde_kwin_fake_input version 4\n");
        wl_display_disconnect(display);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "kwin_fake_key", "tests type a key");
    org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)code, WL_KEYBOARD_KEY_STATE_PRESSED);
    wl_display_roundtrip(display);
    org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)code, WL_KEYBOARD_KEY_STATE_RELEASED);
    const int status = wl_display_roundtrip(display) < 0 ? 1 : 0;
    org_kde_kwin_fake_input_destroy(fake_input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return status;
}
