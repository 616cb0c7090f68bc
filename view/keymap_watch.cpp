#include "view/keymap_watch.h"

#include <QCoreApplication>

#include "view/xkb_legends.h"
#ifdef PLINKORA_HAVE_XKB_X11
#include "view/keymap_x11.h"
#endif

namespace plinkora {

namespace {

KeyLegends LegendsOfTheSession() {
#ifdef PLINKORA_HAVE_XKB_X11
    if (std::optional<KeyLegends> server = x11keymap::Read()) {
        return *server;
    }
#endif
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

KeymapWatch::KeymapWatch(QObject* parent) : KeymapWatch(LegendsOfTheSession, parent) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeymapWatch::KeymapWatch(Source source, QObject* parent)
    : QObject(parent), source_(std::move(source)), legends_(source_()) {
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
