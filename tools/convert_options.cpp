#include "tools/convert_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <vector>

#include "engine/key_signatures.h"

namespace plinkora {

const char* const kConvertUsage =
    "Usage: plinkora-convert [options] IN.plk OUT.mid|OUT.wav\n"
    "       plinkora-convert --info IN.plk\n"
    "       plinkora-convert --help\n";

const char* const kConvertHelp =
    "Converts a Plinkora performance (.plk) into a Standard MIDI File or a WAV recording.\n"
    "\n"
    "  OUT.mid   the file that Plinkora's \"Export Midi file\" writes: one track, or a second\n"
    "            track on channel 16 for the bourdon; fixed tempo, channel 1, velocity 127.\n"
    "  OUT.wav   the performance as playback sounds it, rendered by the built-in synthesizer\n"
    "            faster than real time: octave shifts applied, the force as velocity, the\n"
    "            chosen track, the bourdon doubling; 16-bit stereo, 44.1 kHz, with two\n"
    "            seconds at the end for the last notes to ring out.\n"
    "\n"
    "Options:\n"
    "  --key-signature ID  the key signature: its identifier (1297..1332) or its label\n"
    "                      (1=C ... 1=bA, 6=a ... 6=#a); default: the document's\n"
    "  --program N         General MIDI program 0..127 (0 is the piano); default 0\n"
    "  --bourdon on|off    the octave-lower doubling; default: the document's\n"
    "  --force N           velocity 1..127, audio only; default 127\n"
    "  --track N           performance channel, Track 1..15, audio only; default 1\n"
    "  --soundfont PATH    SoundFont for audio; default $PLINKORA_SOUNDFONT, then the first\n"
    "                      of the system's General MIDI SoundFonts that loads\n"
    "  --info              print the event count, the playing time in seconds, the key\n"
    "                      signature, the bourdon flag and the saving date\n"
    "  --as-played         MIDI only: write every note in the octave it was played in, with\n"
    "                      the octave shift of Shift and Ctrl chords, so the file sounds\n"
    "                      as the performance did; without it the shifts are left out, as\n"
    "                      the program's standard export does (both have the space bar's\n"
    "                      sustain pedal as control change 64)\n"
    "  -h, --help          this text\n"
    "\n"
    "Exit status: 0 done, 1 the document or an output could not be read or written (the\n"
    "message names the file), 2 bad arguments.\n";

namespace {

std::optional<int32_t> ParseInt(std::string_view text, int32_t low, int32_t high) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The label a key signature shows in the window, without the instrument: "1=D", "6=#a".
std::string PlainLabel(const KeySignature& k) {
    std::string label = KeySignatureLabel(k.id, "");
    label.erase(0, label.find_first_not_of(' '));
    return label;
}

std::optional<int32_t> ParseKeySignature(std::string_view text) {
    if (auto id = ParseInt(text, kFirstKeySignatureId, kLastKeySignatureId)) {
        if (FindKeySignature(*id) != nullptr) {
            return id;
        }
        return std::nullopt;
    }
    for (const KeySignature& k : KeySignatures()) {
        if (PlainLabel(k) == text) {
            return k.id;
        }
    }
    return std::nullopt;
}

std::optional<OutputKind> KindOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return std::nullopt;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "mid" || extension == "midi") {
        return OutputKind::kMidi;
    }
    if (extension == "wav") {
        return OutputKind::kWave;
    }
    return std::nullopt;
}

bool TakesValue(std::string_view name) {
    for (std::string_view known :
         {"--key-signature", "--program", "--bourdon", "--force", "--track", "--soundfont"}) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

// Applies one option that takes a value; an error text, or empty when it was fine.
std::string ApplyOption(ConvertOptions& o, std::string_view name, std::string_view value) {
    if (name == "--key-signature") {
        o.keySignature = ParseKeySignature(value);
        return o.keySignature ? "" : "unknown key signature";
    }
    if (name == "--bourdon") {
        if (value != "on" && value != "off") {
            return "--bourdon takes on or off";
        }
        o.bourdon = value == "on";
        return "";
    }
    if (name == "--soundfont") {
        o.soundFont = std::string(value);
        return "";
    }
    struct Range {
        std::string_view name;
        int32_t low, high;
        int32_t* target;
        int32_t offset;
    };
    const Range ranges[] = {{"--program", 0, 127, &o.program, 0},
                            {"--force", 1, 127, &o.force, 0},
                            {"--track", 1, 15, &o.channel, -1}};
    for (const Range& r : ranges) {
        if (name == r.name) {
            std::optional<int32_t> v = ParseInt(value, r.low, r.high);
            if (!v) {
                return std::string(name) + " takes a number from " + std::to_string(r.low) +
                       " to " + std::to_string(r.high);
            }
            *r.target = *v + r.offset;
            return "";
        }
    }
    return "unknown option " + std::string(name);
}

std::variant<ConvertOptions, UsageError> CheckPositionals(ConvertOptions o,
                                                          const std::vector<std::string>& files) {
    if (o.help) {
        return o;
    }
    if (o.info && o.asPlayed) {
        return UsageError{"--as-played is for MIDI output only"};
    }
    if (o.info) {
        if (files.size() != 1) {
            return UsageError{"--info takes one document"};
        }
        o.input = files[0];
        return o;
    }
    if (files.size() != 2) {
        return UsageError{"expected a document and an output file"};
    }
    o.input = files[0];
    o.output = files[1];
    const std::optional<OutputKind> kind = KindOf(o.output);
    if (!kind) {
        return UsageError{"the output must end in .mid or .wav"};
    }
    o.kind = *kind;
    if (o.asPlayed && o.kind != OutputKind::kMidi) {
        return UsageError{"--as-played is for MIDI output only"};  // audio always sounds shifted
    }
    return o;
}

}  // namespace

std::variant<ConvertOptions, UsageError> ParseConvertOptions(int argc, const char* const* argv) {
    ConvertOptions o;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsEnded && arg == "-h") {
            o.help = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg.substr(0, 2) != "--") {
            files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            o.help = true;
        } else if (arg == "--info") {
            o.info = true;
        } else if (arg == "--as-played") {
            o.asPlayed = true;
        } else {
            std::string_view name = arg;
            std::string_view value;
            const size_t equals = arg.find('=');
            if (equals != std::string_view::npos) {
                name = arg.substr(0, equals);
            }
            if (!TakesValue(name)) {
                return UsageError{"unknown option " + std::string(name)};
            }
            if (equals != std::string_view::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                return UsageError{std::string(arg) + " needs a value"};
            }
            if (std::string error = ApplyOption(o, name, value); !error.empty()) {
                return UsageError{error};
            }
        }
    }
    return CheckPositionals(std::move(o), files);
}

}  // namespace plinkora
