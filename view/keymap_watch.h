#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <functional>

#include "view/key_legends.h"

namespace plinkora {

class WaylandKeymap;

// Follows what the keys type in the keyboard layout in use, so that the caps can show it.
class KeymapWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    using Source = std::function<KeyLegends()>;

    // Reads the layout in use: on X11 the server's keymap, on Wayland the one the compositor
    // gives the seat's keyboard, both followed as they change; else the layout
    // XKB_DEFAULT_LAYOUT names, or US.
    explicit KeymapWatch(QObject* parent = nullptr);
    // Reads the legends from the given source instead.
    KeymapWatch(Source source, QObject* parent);
    ~KeymapWatch() override;

    const KeyLegends& Legends() const { return legends_; }
    // Reads the layout again at once; Changed follows when its legends differ.
    void Reload();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void Changed();

  private:
    void ReloadSoonOnRequest();

    WaylandKeymap* compositor_ = nullptr;  // a child, on Wayland only
    Source source_;
    KeyLegends legends_;
    QTimer reloadSoon_;  // a layout switch comes as several events: one reading for all
};

}  // namespace plinkora
