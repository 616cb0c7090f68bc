#include "view/keymap_wayland.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstring>

#include "view/xkb_legends.h"

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
#include <qpa/qplatformnativeinterface.h>
#endif

namespace plinkora {

namespace {

// Version 5 has the release requests; the keymap is read as later versions require it.
constexpr uint32_t kSeatVersion = 5;

wl_display* QtDisplay() {
    if (qGuiApp == nullptr ||
        !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return nullptr;
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    return wayland != nullptr ? wayland->display() : nullptr;
#else
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native != nullptr
               ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
               : nullptr;
#endif
}

// The first seat the compositor offers, bound on a queue of our own so that Qt's dispatching
// meets none of its events before we listen.
struct SeatSearch {
    wl_seat* seat = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* search = static_cast<SeatSearch*>(data);
    if (search->seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0) {
        search->seat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
    }
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

}  // namespace

QByteArray ReadKeymapFile(int fd, uint32_t size) {
    if (fd < 0 || size == 0) {
        return {};
    }
    // The compositor may hand every client the same file: it is only ever read.
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
        return {};
    }
    QByteArray text(static_cast<const char*>(mapped), static_cast<qsizetype>(size));
    munmap(mapped, size);
    return text;
}

struct WaylandKeymap::Listeners {
    static void Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
        static_cast<WaylandKeymap*>(data)->FollowCapabilities(seat, capabilities);
    }
    static void Name(void*, wl_seat*, const char*) {}

    static void Keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
        QByteArray text;
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
            text = ReadKeymapFile(fd, size);
        }
        if (fd >= 0) {
            close(fd);
        }
        if (!text.isEmpty()) {
            static_cast<WaylandKeymap*>(data)->TakeKeymap(std::move(text));
        }
    }
    static void Enter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
    static void Leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    static void Key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void Modifiers(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t,
                          uint32_t group) {
        static_cast<WaylandKeymap*>(data)->TakeGroup(group);
    }
    static void RepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

    static constexpr wl_seat_listener kSeat{Capabilities, Name};
    static constexpr wl_keyboard_listener kKeyboard{Keymap, Enter,     Leave,
                                                    Key,    Modifiers, RepeatInfo};
};

WaylandKeymap* WaylandKeymap::Connect(QObject* parent) {
    wl_display* display = QtDisplay();
    if (display == nullptr) {
        return nullptr;
    }
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* ownDisplay = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(ownDisplay), queue);
    wl_registry* registry = wl_display_get_registry(ownDisplay);
    wl_proxy_wrapper_destroy(ownDisplay);
    SeatSearch search;
    wl_registry_add_listener(registry, &kRegistryListener, &search);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    WaylandKeymap* keymap = nullptr;
    if (search.seat != nullptr) {
        keymap = new WaylandKeymap(display, search.seat, parent);
        // The capabilities, then the keyboard's keymap and group: the first legends are the
        // desktop's from the start.
        wl_display_roundtrip_queue(display, queue);
        wl_display_roundtrip_queue(display, queue);
        keymap->MoveToQtQueue();
    }
    wl_display_dispatch_queue_pending(display, queue);
    wl_event_queue_destroy(queue);
    return keymap;
}

WaylandKeymap::WaylandKeymap(wl_display* display, wl_seat* seat, QObject* parent)
    : QObject(parent), display_(display), seat_(seat) {
    wl_seat_add_listener(seat_, &Listeners::kSeat, this);
}

WaylandKeymap::~WaylandKeymap() {
    ReleaseKeyboard();
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(seat_)) >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(seat_);
    } else {
        wl_seat_destroy(seat_);
    }
    wl_display_flush(display_);
}

// Later events come on Qt's own queue, which Qt dispatches on the GUI thread.
void WaylandKeymap::MoveToQtQueue() {
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(seat_), nullptr);
    if (keyboard_ != nullptr) {
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(keyboard_), nullptr);
    }
}

// A keyboard may come and go (a seat's last one unplugged): the last keymap stays shown.
void WaylandKeymap::FollowCapabilities(wl_seat* seat, uint32_t capabilities) {
    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (hasKeyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(keyboard_, &Listeners::kKeyboard, this);
    } else if (!hasKeyboard) {
        ReleaseKeyboard();
    }
}

void WaylandKeymap::ReleaseKeyboard() {
    if (keyboard_ == nullptr) {
        return;
    }
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(keyboard_)) >=
        WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard_);
    } else {
        wl_keyboard_destroy(keyboard_);
    }
    keyboard_ = nullptr;
}

std::optional<KeyLegends> WaylandKeymap::Legends() const {
    return legends_;
}

void WaylandKeymap::TakeKeymap(QByteArray text) {
    if (text == keymapText_) {
        return;
    }
    keymapText_ = std::move(text);
    Update();
}

void WaylandKeymap::TakeGroup(uint32_t group) {
    if (group == group_) {
        return;
    }
    group_ = group;
    Update();
}

void WaylandKeymap::Update() {
    std::optional<KeyLegends> now = LegendsFromKeymapText(keymapText_, group_);
    if (!now) {
        return;  // a keymap that does not compile leaves the caps as they were
    }
    if (now != legends_) {
        legends_ = std::move(now);
        emit Changed();
    }
}

}  // namespace plinkora
