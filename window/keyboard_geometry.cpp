#include "window/keyboard_geometry.h"

#include <algorithm>

#include "engine/key_table.h"

namespace plinkora {

// Painted in this order, so that each row closes at x = 532.
const std::array<FixedCapPlace, 17> kFixedCapPlaces{{
    {140, 38, -38, 0},    // tilde over grave
    {139, 57, -38, 39},   // Tab
    {132, 67, -38, 78},   // Caps
    {136, 86, -38, 117},  // left Shift
    {133, 50, -38, 156},  // left Ctrl
    {141, 50, 12, 156},   // system key
    {128, 50, 62, 156},   // Alt
    kSpaceBarPlace,
    {128, 50, 332, 156},   // Alt
    {141, 50, 382, 156},   // system key
    {129, 50, 432, 156},   // menu key
    {133, 50, 482, 156},   // right Ctrl
    {138, 104, 428, 117},  // right Shift
    {134, 85, 447, 78},    // Enter
    {135, 57, 475, 39},    // blank right of ]
    {130, 38, 494, 0},     // Backspace
    {137, 38, 456, 0},     // bar over backslash
}};

Point KeyboardOrigin(Size client, int charHeight) {
    return {(client.width - kKeyboardWidth) / 2 + kCapWidth,
            (client.height - kPlayingRowsHeight) / 2 + charHeight};
}

Rect CapRect(Point origin, int keyIndex) {
    const KeyEntry* key = keyIndex >= 0 ? PlayingKey(static_cast<uint32_t>(keyIndex)) : nullptr;
    if (key == nullptr) {
        return {};
    }
    return {origin.x + key->left, origin.y + key->top, kCapWidth, kCapHeight};
}

std::optional<int> HitKey(int rx, int ry) {
    if (rx < 0 || rx > kHitAreaWidth || ry < 0 || ry > kPlayingRowsHeight) {
        return std::nullopt;
    }
    for (int i = 0; i < kKeyTableSize; ++i) {
        const KeyEntry& key = KeyTable[i];
        if (key.left == -1) {
            continue;
        }
        if (key.left <= rx && rx < key.left + kCapWidth && key.top <= ry &&
            ry < key.top + kCapHeight) {
            return i;
        }
    }
    return std::nullopt;
}

int PictureIndex(int channel, int program) {
    if (channel == kDrumChannel) {
        return kDrumPicture;
    }
    program = std::clamp(program, 0, 127);
    if (program < 80) {
        return program / 8;
    }
    if (program < 104) {
        return 10;  // the three synthesizer families share one picture
    }
    return program / 8 - 2;
}

std::optional<int> CapImage(bool pressed, int shift) {
    if (!pressed) {
        return 0;
    }
    switch (shift) {
        case 0:
            return 1;
        case 1:
            return 2;
        case -1:
            return 3;
        default:
            return std::nullopt;
    }
}

}  // namespace plinkora
