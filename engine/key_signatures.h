#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace plinkora {

// A key signature is identified by its menu command identifier; the identifier is also what
// documents store.
struct KeySignature {
    int32_t id;
    const char* menuText;     // "\t" separates the accelerator text
    char accelerator;         // the letter that chooses it together with Alt
    int32_t transposition;    // semitones from "1=C"
    const char* labelFormat;  // the window label, %s standing for the instrument name
};

inline constexpr int32_t kDefaultKeySignature = 1297;  // "1=C"
inline constexpr int32_t kFirstKeySignatureId = 1297;
inline constexpr int32_t kLastKeySignatureId = 1332;

// The 24 key signatures in menu order.
std::span<const KeySignature> KeySignatures();

const KeySignature* FindKeySignature(int32_t id);

// Semitones to add to a note for this key signature; none for an identifier that names no key
// signature, in which case no note is sounded or written.
std::optional<int32_t> Transposition(int32_t keySignature);

// 12 x octave + semitone + transposition; none when the key signature is unknown.
std::optional<int32_t> NoteNumber(int32_t keySignature, int32_t octave, int32_t semitone);

// The window label, e.g. "Violin    1=D"; empty for an unknown key signature.
std::string KeySignatureLabel(int32_t keySignature, const std::string& instrumentName);

}  // namespace plinkora
