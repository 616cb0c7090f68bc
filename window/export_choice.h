#pragma once

#include <optional>

#include "window/prompts.h"

namespace plinkora {

inline constexpr const char* kNoAudioExport =
    "File %s names WAV audio, which only the built-in synthesizer writes. Name it .mid for a "
    "MIDI file.";

// What an export writes, from the name typed and the file type chosen in the export dialog. An
// extension that names a kind decides it, in any case: .mid or .midi a MIDI file (as played
// only when that type was chosen), .wav WAV audio; so the file holds what its name says, as
// the converter's does. A name without an extension gets the chosen type's; one with another
// extension keeps it and the chosen type. None when the name asks for WAV audio where no
// built-in synthesizer offers it.
std::optional<ExportChoice> DecideExport(const ExportChoice& typed, bool audioOffered);

}  // namespace plinkora
