#include "view/keymap_x11.h"

// The C header names a field "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <QGuiApplication>
#include <memory>

#include "view/xkb_legends.h"

namespace plinkora::x11keymap {

namespace {

struct Connection {
    xcb_connection_t* xcb = nullptr;
    uint8_t firstXkbEvent = 0;
    int32_t keyboard = -1;
};

// Qt's own connection: the XKB events it asked for arrive on it, so no second one is needed.
const Connection& Server() {
    static const Connection connection = [] {
        Connection c;
        auto* x11 = qGuiApp != nullptr
                        ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                        : nullptr;
        if (x11 == nullptr || x11->connection() == nullptr) {
            return c;
        }
        if (!xkb_x11_setup_xkb_extension(x11->connection(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                         XKB_X11_MIN_MINOR_XKB_VERSION,
                                         XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                         &c.firstXkbEvent, nullptr)) {
            return c;
        }
        c.keyboard = xkb_x11_get_core_keyboard_device_id(x11->connection());
        if (c.keyboard >= 0) {
            c.xcb = x11->connection();
        }
        return c;
    }();
    return connection;
}

template <auto Free>
struct Deleter {
    template <typename T>
    void operator()(T* object) const {
        Free(object);
    }
};

uint32_t ActiveLayout(xkb_keymap* keymap, xkb_state* state) {
    for (uint32_t i = 0; i < xkb_keymap_num_layouts(keymap); ++i) {
        if (xkb_state_layout_index_is_active(state, i, XKB_STATE_LAYOUT_EFFECTIVE) > 0) {
            return i;
        }
    }
    return 0;
}

}  // namespace

std::optional<KeyLegends> Read() {
    const Connection& server = Server();
    if (server.xcb == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<xkb_context, Deleter<xkb_context_unref>> context(
        xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) {
        return std::nullopt;
    }
    const std::unique_ptr<xkb_keymap, Deleter<xkb_keymap_unref>> keymap(
        xkb_x11_keymap_new_from_device(context.get(), server.xcb, server.keyboard,
                                       XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return std::nullopt;
    }
    const std::unique_ptr<xkb_state, Deleter<xkb_state_unref>> state(
        xkb_x11_state_new_from_device(keymap.get(), server.xcb, server.keyboard));
    const uint32_t layout = state ? ActiveLayout(keymap.get(), state.get()) : 0;
    return LegendsFromKeymap(keymap.get(), layout);
}

bool ChangesLegends(const void* xcbEvent) {
    const Connection& server = Server();
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    if (server.xcb == nullptr || (event->response_type & 0x7F) != server.firstXkbEvent) {
        return false;
    }
    // Every XKB event carries its kind in the byte after the response type.
    const auto* any = reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t*>(event);
    switch (any->xkbType) {
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY:
            return true;
        case XCB_XKB_STATE_NOTIFY:
            return (reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event)->changed &
                    XCB_XKB_STATE_PART_GROUP_STATE) != 0;
        default:
            return false;
    }
}

}  // namespace plinkora::x11keymap
