#pragma once

#include <array>
#include <optional>

#include "window/geometry.h"

namespace plinkora {

// The drawn keyboard, in logical pixels relative to the top-left corner of the key "1".
inline constexpr int kCapWidth = 38;
inline constexpr int kCapHeight = 39;
inline constexpr int kKeyboardWidth = 570;   // from one cap left of "1" to x = 532
inline constexpr int kKeyboardHeight = 195;  // five rows
inline constexpr int kPlayingRowsHeight = 156;
inline constexpr int kHitAreaWidth = 475;  // the last playing cap ends before x = 475
inline constexpr int kNoMouseKey = 255;

inline constexpr int kPictureWidth = 171;
inline constexpr int kPictureHeight = 141;
inline constexpr int kPictureCount = 15;
inline constexpr int kDrumPicture = 14;
inline constexpr int kDrumChannel = 9;

// Inside a cap, from its top-left corner: the octave dots of a label, and the letters of the
// user's keyboard layout, printed on the cap's face; on a playing key small in the bottom-left
// corner, the one corner that the note and its dots leave free.
inline constexpr int kDotSize = 4;
inline constexpr int kDotColumn = 18;  // dots centre on this column of the cap
inline constexpr Rect kCapFaceArea{5, 2, 28, 32};
inline constexpr Rect kPlayingLegendPlace{6, 21, 11, 13};
inline constexpr int kPlayingLegendPixels = 10;
inline constexpr int kFixedLegendPixels = 12;

// A cap that plays nothing, copied whole from its own picture (numbered 128..141).
struct FixedCapPlace {
    int resource;
    int width;
    int x;
    int y;
};
extern const std::array<FixedCapPlace, 17> kFixedCapPlaces;
// The space bar, which is the sustain pedal and is drawn pressed while the pedal is down.
inline constexpr int kSpaceBarPicture = 131;
inline constexpr FixedCapPlace kSpaceBarPlace{kSpaceBarPicture, 220, 112, 156};

// Where the window's layout puts the key "1" for a client area and the height of "M".
Point KeyboardOrigin(Size client, int charHeight);

// The cap of a playing key, or an empty rectangle for an index that has none.
Rect CapRect(Point origin, int keyIndex);

// The playing key under a point given relative to the key "1"; none off the keys.
std::optional<int> HitKey(int rx, int ry);

// Which of the 15 instrument pictures stands for a channel and program.
int PictureIndex(int channel, int program);

// The image of the key-cap strip for a key's look: 0 released, 1 no shift, 2 an octave up,
// 3 an octave down; none for a shift that has no tint.
std::optional<int> CapImage(bool pressed, int shift);

}  // namespace plinkora
