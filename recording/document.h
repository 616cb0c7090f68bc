#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "recording/atomic_file.h"
#include "recording/recording.h"

namespace plinkora {

// Message formats of the document operations; %s stands for the document's name.
inline constexpr char kCannotOpenToWrite[] = "Can not open file %s to write.";
inline constexpr char kCannotWrite[] = "Can not write to file %s.";
inline constexpr char kCannotFindOrOpen[] = "Can not find or open file %s.";
inline constexpr char kNotStandardFile[] = "File %s is not a standard Plinkora file.";
inline constexpr char kNotSupportedFile[] = "File %s is not a supported Plinkora file.";
inline constexpr char kCannotRead[] = "Can not read file %s.";

struct DocumentContents {
    EventList events;
    int32_t keySignature = 0;
    uint32_t bourdon = 0;  // as stored: only 1 means on
    bool BourdonOn() const { return bourdon == 1; }
    std::string dateText;  // the saving date as stored, empty when it cannot be read
};

// The most events a document can hold: its RIFF size field must not overflow.
inline constexpr uint32_t kMaxDocumentEvents = (UINT32_MAX - 96) / 16;

// What a document operation came to: done, or the message format of what failed.
class [[nodiscard]] DocumentResult {
  public:
    constexpr DocumentResult() = default;
    // failure: one of the formats above.
    constexpr DocumentResult(const char* failure) : failure_(failure) {}
    constexpr bool Ok() const { return failure_ == nullptr; }
    // The message format, %s standing for the document's name; null when done.
    constexpr const char* Failure() const { return failure_; }

  private:
    const char* failure_ = nullptr;
};

// Writes a .plk document. The earlier file at path survives any failure: the document is
// written beside it and moved into place only when complete. dateText is the "YYYY-MM-DD" stamp;
// empty means today's local date. More than kMaxDocumentEvents events cannot be written.
DocumentResult SaveDocument(std::span<const EventRecord> events, int32_t keySignature,
                            bool bourdonOn, const std::string& path,
                            const std::string& dateText = {});

// What a file written whole through WriteFileAtomically came to, as a document message.
DocumentResult WrittenDocument(AtomicWriteResult result);

// Reads a .plk document into out (untouched on failure). A document whose key signature is none of
// the 24 is refused as not supported; one whose events are not all in the file, as unreadable.
DocumentResult LoadDocument(const std::string& path, DocumentContents& out);

// Fills a message format with the name, or "Untitled" when the name is empty.
std::string FormatDocumentMessage(const char* format, const std::string& name);

}  // namespace plinkora
