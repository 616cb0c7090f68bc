#include "shell/alt_release_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcutEvent>

namespace plinkora {

AltReleaseGuard::AltReleaseGuard(QMenuBar& menuBar) : QObject(&menuBar), menuBar_(menuBar) {
    qApp->installEventFilter(this);
}

AltReleaseGuard::~AltReleaseGuard() {
    qApp->removeEventFilter(this);
}

// The menu bar decides on the Alt release in a filter installed after this one, so it has
// decided by the time the release gets here.
bool AltReleaseGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Shortcut:
            if (static_cast<QShortcutEvent*>(event)->key()[0].keyboardModifiers() &
                Qt::AltModifier) {
                acceleratorBeforeAlt_ = true;
            }
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Alt) {
                acceleratorBeforeAlt_ = false;
            }
            break;
        case QEvent::KeyRelease:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt && acceleratorBeforeAlt_) {
                acceleratorBeforeAlt_ = false;
                if (menuBar_.hasFocus() && QApplication::activePopupWidget() == nullptr) {
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QApplication::sendEvent(&menuBar_, &escape);
                }
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace plinkora
