#pragma once

#include <cstdint>
#include <vector>

#include "engine/key_stroke.h"

class QScrollBar;

namespace plinkora {

// The keys that play the Force and Freq bars as a player's hand would: Up and Down step the
// force by 1, Page Up and Page Down by 8, as the bar's arrows and shaft do; Right and Left
// hold the pitch wheel fully up or down until let go, as a dragged thumb does. They move the
// bars themselves, so the bars' handlers decide and the thumbs show it.
class BarKeys {
  public:
    BarKeys(QScrollBar& force, QScrollBar& freq);

    // True when the key belongs to a bar: it is no note then, even when it changes nothing.
    bool Take(const KeyStroke& key);

  private:
    void Bend();

    QScrollBar& force_;
    QScrollBar& freq_;
    std::vector<uint32_t> bending_;  // the bend keys held, the latest last
};

}  // namespace plinkora
