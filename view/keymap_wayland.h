#pragma once

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <optional>

#include "view/key_legends.h"

struct wl_display;
struct wl_keyboard;
struct wl_seat;

namespace plinkora {

// The keymap a Wayland compositor gives the seat's keyboard, and the layout (group) active in
// it, followed as the user changes either in the desktop's settings. A keyboard of the
// program's own on Qt's connection and seat receives them; its events come on Qt's queue, so on
// the GUI thread.
class WaylandKeymap final : public QObject {
    Q_OBJECT
  public:
    // Null where the program does not run as a Wayland client or the seat has no keyboard.
    static WaylandKeymap* Connect(QObject* parent);
    ~WaylandKeymap() override;

    // None until the compositor has sent a keymap that compiles.
    std::optional<KeyLegends> Legends() const;

  signals:
    void Changed();

  private:
    struct Listeners;
    WaylandKeymap(wl_display* display, wl_seat* seat, QObject* parent);
    void MoveToQtQueue();
    void FollowCapabilities(wl_seat* seat, uint32_t capabilities);
    void ReleaseKeyboard();
    void TakeKeymap(QByteArray text);
    void TakeGroup(uint32_t group);
    void Update();

    wl_display* display_;
    wl_seat* seat_;
    wl_keyboard* keyboard_ = nullptr;
    QByteArray keymapText_;
    uint32_t group_ = 0;
    std::optional<KeyLegends> legends_;
};

// The text of a keymap the compositor passed as a file; empty where it cannot be read.
QByteArray ReadKeymapFile(int fd, uint32_t size);

}  // namespace plinkora
