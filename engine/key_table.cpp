#include "engine/key_table.h"

namespace plinkora {

namespace {
constexpr KeyEntry kSilent{-1, -1, -1, -1, nullptr};
}

// Rows: the number row holds the flats between the notes of the Q row, the Z row the flats
// between the home-row notes; where the scale has no flat the key repeats the note below.
const KeyEntry KeyTable[kKeyTableSize] = {
    kSilent,                  // 0
    kSilent,                  // 1 Esc
    {3, 6, 0, 0, "b5"},       // 2  1
    {3, 8, 0, 38, "b6"},      // 3  2
    {3, 10, 0, 76, "b7"},     // 4  3
    {3, 11, 0, 114, "7"},     // 5  4
    {4, 1, 0, 152, "b2"},     // 6  5
    {4, 3, 0, 190, "b3"},     // 7  6
    {4, 4, 0, 228, "3"},      // 8  7
    {4, 6, 0, 266, "b5"},     // 9  8
    {4, 8, 0, 304, "b6"},     // 10 9
    {4, 10, 0, 342, "b7"},    // 11 0
    {6, 6, 0, 380, "b5"},     // 12 -
    {6, 8, 0, 418, "b6"},     // 13 =
    kSilent,                  // 14 Backspace
    kSilent,                  // 15 Tab
    {3, 7, 39, 19, "5"},      // 16 Q
    {3, 9, 39, 57, "6"},      // 17 W
    {3, 11, 39, 95, "7"},     // 18 E
    {4, 0, 39, 133, "1"},     // 19 R
    {4, 2, 39, 171, "2"},     // 20 T
    {4, 4, 39, 209, "3"},     // 21 Y
    {4, 5, 39, 247, "4"},     // 22 U
    {4, 7, 39, 285, "5"},     // 23 I
    {4, 9, 39, 323, "6"},     // 24 O
    {4, 11, 39, 361, "7"},    // 25 P
    {6, 7, 39, 399, "5"},     // 26 [
    {6, 9, 39, 437, "6"},     // 27 ]
    kSilent,                  // 28 Enter
    kSilent,                  // 29 Ctrl
    {5, 0, 78, 29, "1"},      // 30 A
    {5, 2, 78, 67, "2"},      // 31 S
    {5, 4, 78, 105, "3"},     // 32 D
    {5, 5, 78, 143, "4"},     // 33 F
    {5, 7, 78, 181, "5"},     // 34 G
    {5, 9, 78, 219, "6"},     // 35 H
    {5, 11, 78, 257, "7"},    // 36 J
    {6, 0, 78, 295, "1"},     // 37 K
    {6, 2, 78, 333, "2"},     // 38 L
    {6, 4, 78, 371, "3"},     // 39 ;
    {6, 5, 78, 409, "4"},     // 40 '
    kSilent,                  // 41 `
    kSilent,                  // 42 left Shift
    kSilent,                  // 43 backslash
    {5, 1, 117, 48, "b2"},    // 44 Z
    {5, 3, 117, 86, "b3"},    // 45 X
    {5, 4, 117, 124, "3"},    // 46 C
    {5, 6, 117, 162, "b5"},   // 47 V
    {5, 8, 117, 200, "b6"},   // 48 B
    {5, 10, 117, 238, "b7"},  // 49 N
    {5, 11, 117, 276, "7"},   // 50 M
    {6, 1, 117, 314, "b2"},   // 51 ,
    {6, 3, 117, 352, "b3"},   // 52 .
    {6, 4, 117, 390, "3"},    // 53 /
};

const KeyEntry* PlayingKey(uint32_t scanCode) {
    if (scanCode >= kKeyTableSize || KeyTable[scanCode].octave == -1) {
        return nullptr;
    }
    return &KeyTable[scanCode];
}

}  // namespace plinkora
