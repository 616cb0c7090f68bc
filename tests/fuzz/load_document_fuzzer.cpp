// libFuzzer target: any bytes as a .plk document. The reader must refuse or accept them without
// a fault, and what it accepts must be a consistent document that the exporter can take.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/key_signatures.h"
#include "recording/document.h"
#include "recording/midi_export.h"

namespace {

// The reader takes a path; an in-memory file keeps each run off the disk.
const std::string& DocumentPath() {
    static const int fd = memfd_create("document.plk", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0) {
        std::abort();
    }
    return path;
}

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = DocumentPath();
    const int fd = std::stoi(path.substr(path.rfind('/') + 1));
    Require(ftruncate(fd, 0) == 0);
    Require(pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));

    plinkora::DocumentContents document;
    if (!plinkora::LoadDocument(path, document).Ok()) {
        Require(document.events.empty());
        return 0;
    }
    Require(!document.events.empty());
    Require(document.events.size() * 16 + 52 <= size);  // the events came from the input
    Require(plinkora::FindKeySignature(document.keySignature) != nullptr);
    Require(
        plinkora::BuildMidiFile(document.events, document.keySignature, 0, document.bourdon == 1)
            .has_value());
    return 0;
}
