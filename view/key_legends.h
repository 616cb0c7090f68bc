#pragma once

#include <QString>
#include <array>

#include "engine/key_table.h"

namespace plinkora {

// The two keys left of "1" and right of "]" that play nothing but carry a layout's letters.
inline constexpr int kGraveKey = 0x29;
inline constexpr int kBackslashKey = 0x2B;

// What one key types, unshifted and with Shift, in a keyboard layout.
struct KeyPrint {
    QString base;
    QString shifted;
    bool operator==(const KeyPrint&) const = default;
};

// What the drawn keys type in one keyboard layout, by PC scan code. A default one is the US
// layout, whose letters the drawn keyboard leaves off the caps.
class KeyLegends {
  public:
    KeyLegends();

    // The keys whose letters a layout changes: the four rows of playing keys and the two
    // beside them.
    static bool Carries(int scanCode);

    void Set(int scanCode, KeyPrint print);
    // Empty for a key that is not drawn.
    KeyPrint Print(int scanCode) const;
    // The legend a cap of this key carries: a letter in capitals, else what it types unshifted.
    QString CapLegend(int scanCode) const;
    // True when the key types what it types on a US keyboard.
    bool LikeUs(int scanCode) const;
    // True when every drawn key does.
    bool LikeUs() const;

    bool operator==(const KeyLegends&) const = default;

  private:
    std::array<KeyPrint, kKeyTableSize> prints_;
};

}  // namespace plinkora
