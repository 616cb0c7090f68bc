#include <gtest/gtest.h>

#include <set>

#include "engine/key_signatures.h"
#include "engine/key_table.h"

namespace plinkora {
namespace {

TEST(KeyMap, FortyFivePlayingKeysAndNineSilentOnes) {
    int playing = 0;
    for (uint32_t code = 0; code < kKeyTableSize; ++code) {
        if (PlayingKey(code) != nullptr) {
            ++playing;
        }
    }
    EXPECT_EQ(playing, 45);
    for (uint32_t code : {0u, 1u, 14u, 15u, 28u, 29u, 41u, 42u, 43u, 54u, 255u}) {
        EXPECT_EQ(PlayingKey(code), nullptr) << code;
    }
}

TEST(KeyMap, WorkedNotesOfTheKeySignatures) {
    struct Case {
        uint32_t key;
        int32_t keySignature;
        int32_t shift;
        int32_t note;
    };
    const Case cases[] = {
        {30, 1297, 0, 60},   // A, 1=C
        {30, 1298, 0, 62},   // A, 1=D
        {30, 1320, 0, 60},   // A, 6=a
        {35, 1320, 0, 69},   // H, 6=a: the minor tonic
        {37, 1314, 1, 80},   // K with Shift, 1=bA
        {2, 1314, -1, 26},   // 1 with Ctrl, 1=bA: the lowest note
        {27, 1302, 1, 102},  // ] with Shift, 1=A: the highest note
    };
    for (const Case& c : cases) {
        const KeyEntry* key = PlayingKey(c.key);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(NoteNumber(c.keySignature, key->octave + c.shift, key->semitone), c.note)
            << "key " << c.key << " in " << c.keySignature;
    }
}

TEST(KeyMap, EveryNoteStaysInsideTheMidiRangeWithoutClamping) {
    for (const KeySignature& k : KeySignatures()) {
        for (uint32_t code = 0; code < kKeyTableSize; ++code) {
            const KeyEntry* key = PlayingKey(code);
            if (key == nullptr) {
                continue;
            }
            for (int shift = -1; shift <= 1; ++shift) {
                const int32_t note = *NoteNumber(k.id, key->octave + shift, key->semitone);
                const int32_t bourdon = *NoteNumber(k.id, key->octave + shift - 1, key->semitone);
                EXPECT_GE(note, 26);
                EXPECT_LE(note, 102);
                EXPECT_GE(bourdon, 14);
                EXPECT_LE(bourdon, 90);
            }
        }
    }
}

TEST(KeySignatures, TwentyFourDistinctIdsAndAccelerators) {
    std::set<int32_t> ids;
    std::set<char> letters;
    for (const KeySignature& k : KeySignatures()) {
        ids.insert(k.id);
        letters.insert(k.accelerator);
    }
    EXPECT_EQ(ids.size(), 24u);
    EXPECT_EQ(letters.size(), 24u);
    EXPECT_FALSE(letters.count('O'));  // Alt+O and Alt+S open and close the device
    EXPECT_FALSE(letters.count('S'));
    for (int32_t unnamed : {1306, 1311, 1322, 1327, 1296, 1333}) {
        EXPECT_FALSE(Transposition(unnamed)) << unnamed;
        EXPECT_FALSE(NoteNumber(unnamed, 5, 0));
    }
}

}  // namespace
}  // namespace plinkora
