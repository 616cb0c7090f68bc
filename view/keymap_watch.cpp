#include "view/keymap_watch.h"

#include <QCoreApplication>

#include "view/xkb_legends.h"
#ifdef PLINKORA_HAVE_XKB_X11
#include "view/keymap_x11.h"
#endif
#ifdef PLINKORA_HAVE_WAYLAND
#include "view/keymap_wayland.h"
#endif

namespace plinkora {

namespace {

KeyLegends LegendsOfTheSession(const WaylandKeymap* compositor) {
#ifdef PLINKORA_HAVE_XKB_X11
    if (std::optional<KeyLegends> server = x11keymap::Read()) {
        return *server;
    }
#endif
#ifdef PLINKORA_HAVE_WAYLAND
    if (compositor != nullptr) {
        if (std::optional<KeyLegends> sent = compositor->Legends()) {
            return *sent;
        }
    }
#else
    Q_UNUSED(compositor);
#endif
    // Desktop programs do not get this variable; a compositor started by hand may.
    const QByteArray layout = qgetenv("XKB_DEFAULT_LAYOUT");
    if (!layout.isEmpty()) {
        // A list such as "de,us" starts with the layout in use at first.
        const QByteArray first = layout.split(',').front();
        const QByteArray variant = qgetenv("XKB_DEFAULT_VARIANT").split(',').front();
        if (std::optional<KeyLegends> named =
                LegendsForLayout(first.constData(), variant.constData())) {
            return *named;
        }
    }
    return KeyLegends();
}

}  // namespace

KeymapWatch::KeymapWatch(QObject* parent) : QObject(parent) {
#ifdef PLINKORA_HAVE_WAYLAND
    compositor_ = WaylandKeymap::Connect(this);
    if (compositor_ != nullptr) {
        connect(compositor_, &WaylandKeymap::Changed, this, [this] { reloadSoon_.start(); });
    }
#endif
    source_ = [this] { return LegendsOfTheSession(compositor_); };
    legends_ = source_();
    ReloadSoonOnRequest();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeymapWatch::KeymapWatch(Source source, QObject* parent)
    : QObject(parent), source_(std::move(source)), legends_(source_()) {
    ReloadSoonOnRequest();
}

void KeymapWatch::ReloadSoonOnRequest() {
    reloadSoon_.setSingleShot(true);
    reloadSoon_.setInterval(0);
    reloadSoon_.callOnTimeout(this, &KeymapWatch::Reload);
}

KeymapWatch::~KeymapWatch() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void KeymapWatch::Reload() {
    KeyLegends now = source_();
    if (now == legends_) {
        return;
    }
    legends_ = std::move(now);
    emit Changed();
}

bool KeymapWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#ifdef PLINKORA_HAVE_XKB_X11
    if (eventType == "xcb_generic_event_t" && x11keymap::ChangesLegends(message)) {
        reloadSoon_.start();
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;  // Qt follows the change for its own key events too
}

}  // namespace plinkora
