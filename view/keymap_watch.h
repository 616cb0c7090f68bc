#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <functional>

#include "view/key_legends.h"

namespace plinkora {

// Follows what the keys type in the keyboard layout in use, so that the caps can show it.
class KeymapWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    using Source = std::function<KeyLegends()>;

    // Reads the layout in use: on X11 the server's keymap, followed as it changes; elsewhere
    // the layout XKB_DEFAULT_LAYOUT names, as a Wayland compositor reads it, or else US.
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
    Source source_;
    KeyLegends legends_;
    QTimer reloadSoon_;  // a layout switch comes as several events: one reading for all
};

}  // namespace plinkora
