// plinkora-convert: a performance document as a Standard MIDI File or as audio.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/key_signatures.h"
#include "recording/atomic_file.h"
#include "recording/document.h"
#include "recording/midi_export.h"
#include "recording/playback.h"
#include "tools/console.h"
#include "tools/convert_options.h"
#include "tools/wave_rendering.h"

namespace plinkora {
namespace {

int Fail(const char* format, const std::string& name) {
    PrintError(FormatDocumentMessage(format, name) + "\n");
    return 1;
}

int PrintInfo(const DocumentContents& doc) {
    const std::string label = KeySignatureLabel(doc.keySignature, "");
    char length[64];
    std::snprintf(length, sizeof length, "%.3f",
                  static_cast<double>(PlaybackDurationMs(doc.events)) / 1000.0);
    PrintOut("Events: " + std::to_string(doc.events.size()) + "\nLength: " + length +
             " s\nKey signature: " + std::to_string(doc.keySignature) + " (" +
             label.substr(label.find_first_not_of(' ')) +
             ")\nBourdon: " + (doc.BourdonOn() ? "on" : "off") +
             "\nSaved: " + (doc.dateText.empty() ? "unknown" : doc.dateText) + "\n");
    return 0;
}

int Convert(const ConvertOptions& o) {
    DocumentContents doc;
    if (const DocumentResult read = LoadDocument(o.input, doc); !read.Ok()) {
        return Fail(read.Failure(), o.input);
    }
    if (o.info) {
        return PrintInfo(doc);
    }
    RenderSettings s;
    s.keySignature = o.keySignature.value_or(doc.keySignature);
    s.program = o.program;
    s.force = o.force;
    s.channel = o.channel;
    s.bourdonOn = o.bourdon.value_or(doc.BourdonOn());
    if (o.kind == OutputKind::kWave) {
        return WriteWave(o, doc, s);
    }
    if (const DocumentResult written = ExportMidiFile(doc.events, s.keySignature, s.program,
                                                      s.bourdonOn, o.output, o.asPlayed);
        !written.Ok()) {
        return Fail(written.Failure(), o.output);
    }
    return 0;
}

}  // namespace
}  // namespace plinkora

int main(int argc, char** argv) {
    using namespace plinkora;
    const std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    auto parsed = ParseConvertOptions(static_cast<int>(pointers.size()), pointers.data());
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        PrintError("plinkora-convert: " + error->what + "\n" + kConvertUsage);
        return 2;
    }
    RemoveTemporaryFilesOnSignals();
    const ConvertOptions& options = std::get<ConvertOptions>(parsed);
    if (options.help) {
        PrintOut(std::string(kConvertUsage) + "\n" + kConvertHelp);
        return 0;
    }
    return Convert(options);
}
