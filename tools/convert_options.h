#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace plinkora {

enum class OutputKind { kMidi, kWave };

struct ConvertOptions {
    bool help = false;
    bool info = false;
    bool asPlayed = false;  // MIDI output with the recorded octave shifts
    std::string input;
    std::string output;
    OutputKind kind = OutputKind::kMidi;
    std::optional<int32_t> keySignature;  // none: the document's
    int32_t program = 0;
    std::optional<bool> bourdon;  // none: the document's
    int32_t force = 127;
    int32_t channel = 0;  // Track 1..15 is channel 0..14
    std::optional<std::string> soundFont;
};

struct UsageError {
    std::string what;
};

// The command line after the program's name: the options, or what is wrong with it.
std::variant<ConvertOptions, UsageError> ParseConvertOptions(int argc, const char* const* argv);

extern const char* const kConvertUsage;
extern const char* const kConvertHelp;

}  // namespace plinkora
