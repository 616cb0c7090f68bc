#include "window/export_choice.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace plinkora {

namespace {

// The extension of the file's name, lower case, without its dot; empty when there is none. A
// name's leading dot starts a hidden name, not an extension.
std::string ExtensionOf(const std::string& path) {
    const size_t nameStart = path.find_last_of("/\\") + 1;  // 0 when there is no folder
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

const char* SuffixOf(ExportKind kind) {
    for (const ExportType& type : kExportTypes) {
        if (type.kind == kind) {
            return type.suffix;
        }
    }
    return "mid";
}

}  // namespace

std::optional<ExportChoice> DecideExport(const ExportChoice& typed, bool audioOffered) {
    ExportChoice decided = typed;
    const std::string extension = ExtensionOf(typed.path);
    if (extension.empty()) {
        decided.path += std::string(".") + SuffixOf(typed.kind);
    } else if (extension == "wav") {
        decided.kind = ExportKind::WaveAudio;
    } else if ((extension == "mid" || extension == "midi") &&
               typed.kind != ExportKind::MidiAsPlayed) {
        decided.kind = ExportKind::StandardMidi;
    }
    if (decided.kind == ExportKind::WaveAudio && !audioOffered) {
        return std::nullopt;
    }
    return decided;
}

}  // namespace plinkora
