/* A keyboard for tests under a Wayland compositor: it uploads the keymap of a real layout, as
 * a physical keyboard under that layout has, and presses keys by their evdev codes, so that a
 * key is a place on the keyboard whatever it types.
 *
 * usage: plinkora-virtual-keyboard LAYOUT[:VARIANT] [STEP...]
 *   30      taps the key of evdev code 30 (A on a US keyboard)
 *   +42 -42 presses, releases a key
 *   @300    waits 300 ms
 *   g1      makes the keymap's second layout the active one
 *   -       reads more steps from standard input, one a line, until it ends: the keyboard
 *           stays plugged in meanwhile
 * Exits 0 when every step has been sent, 1 with a message otherwise, 77 when the compositor
 * offers no virtual keyboard. */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

struct globals {
    struct wl_seat* seat;
    struct zwp_virtual_keyboard_manager_v1* manager;
};

static void on_global(void* data, struct wl_registry* registry, uint32_t name,
                      const char* interface, uint32_t version) {
    struct globals* globals = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == NULL) {
        globals->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        globals->manager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    }
}

static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

static void wait_ms(long ms) {
    struct timespec time = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&time, NULL);
}

static uint32_t now_ms(void) {
    struct timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return (uint32_t)(time.tv_sec * 1000 + time.tv_nsec / 1000000);
}

/* The keymap text of the layout in a file of its own, as the protocol passes it. */
static int keymap_file(const char* layout, const char* variant, uint32_t* size) {
    struct xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    struct xkb_rule_names names = {"evdev", "pc105", layout, variant, ""};
    struct xkb_keymap* keymap =
        context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : NULL;
    int fd = -1;
    if (text != NULL) {
        *size = (uint32_t)strlen(text) + 1;
        fd = memfd_create("keymap", MFD_CLOEXEC);
        if (fd >= 0 && write(fd, text, *size) != (ssize_t)*size) {
            close(fd);
            fd = -1;
        }
    }
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return fd;
}

static void send_key(struct wl_display* display, struct zwp_virtual_keyboard_v1* keyboard,
                     uint32_t code, int pressed) {
    zwp_virtual_keyboard_v1_key(
        keyboard, now_ms(), code,
        pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    wl_display_flush(display);
}

static int run_step(struct wl_display* display, struct zwp_virtual_keyboard_v1* keyboard,
                    const char* step) {
    char* end = NULL;
    const long number = strtol(step + (step[0] >= '0' && step[0] <= '9' ? 0 : 1), &end, 10);
    if (end == NULL || *end != '\0' || number < 0) {
        fprintf(stderr, "virtual keyboard: not a step: %s\n", step);
        return 0;
    }
    switch (step[0]) {
        case '+':
            send_key(display, keyboard, (uint32_t)number, 1);
            break;
        case '-':
            send_key(display, keyboard, (uint32_t)number, 0);
            break;
        case '@':
            wait_ms(number);
            break;
        case 'g':
            zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, (uint32_t)number);
            wl_display_flush(display);
            break;
        default:
            send_key(display, keyboard, (uint32_t)number, 1);
            wait_ms(30);
            send_key(display, keyboard, (uint32_t)number, 0);
            break;
    }
    wait_ms(30);
    return 1;
}

static int run_input_steps(struct wl_display* display, struct zwp_virtual_keyboard_v1* keyboard) {
    char line[64];
    while (fgets(line, sizeof line, stdin) != NULL) {
        line[strcspn(line, " \r\n")] = '\0';
        if (line[0] != '\0' && !run_step(display, keyboard, line)) {
            return 0;
        }
    }
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s LAYOUT[:VARIANT] [STEP...]\n", argv[0]);
        return 1;
    }
    char* layout = argv[1];
    char* variant = strchr(layout, ':');
    if (variant != NULL) {
        *variant++ = '\0';
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "virtual keyboard: no Wayland compositor to connect to\n");
        return 1;
    }
    struct globals globals = {NULL, NULL};
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display);
    if (globals.seat == NULL || globals.manager == NULL) {
        fprintf(stderr, "virtual keyboard: the compositor offers no virtual keyboard\n");
        return 77;
    }
    uint32_t size = 0;
    const int fd = keymap_file(layout, variant ? variant : "", &size);
    if (fd < 0) {
        fprintf(stderr, "virtual keyboard: no keymap for layout %s\n", layout);
        return 1;
    }
    struct zwp_virtual_keyboard_v1* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.manager, globals.seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
    close(fd);
    wl_display_roundtrip(display);
    wait_ms(200); /* the first key right after the keyboard appears may be lost */
    int ok = 1;
    for (int i = 2; i < argc && ok; ++i) {
        ok = strcmp(argv[i], "-") == 0 ? run_input_steps(display, keyboard)
                                       : run_step(display, keyboard, argv[i]);
    }
    wl_display_roundtrip(display);
    zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_disconnect(display);
    return ok ? 0 : 1;
}
