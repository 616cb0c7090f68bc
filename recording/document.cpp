#include "recording/document.h"

#include <ctime>
#include <new>

#include "recording/atomic_file.h"
#include "recording/byte_order.h"
#include "recording/riff_reader.h"

namespace plinkora {

namespace {

constexpr size_t kRecordSize = sizeof(EventRecord);
constexpr size_t kRecordsPerBlock = 4096;
constexpr uint32_t kFormatSize = 24;
constexpr char kSoftware[] = "PL by Orak";  // written with its zero byte: 11 bytes

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

void PutId(std::vector<uint8_t>& out, const char (&id)[5]) {
    bytes::PutLe32(out, FourCc(id));
}

// A chunk whose data is a zero-terminated string, with its pad byte.
void PutTextChunk(std::vector<uint8_t>& out, const char (&id)[5], const std::string& text) {
    PutId(out, id);
    bytes::PutLe32(out, static_cast<uint32_t>(text.size() + 1));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    if ((text.size() + 1) % 2 != 0) {
        out.push_back(0);
    }
}

// Everything before the event records: RIFF header, INFO list, "fmt " and the "data" header.
std::vector<uint8_t> DocumentHead(uint32_t count, int32_t keySignature, bool bourdonOn,
                                  const std::string& date) {
    std::vector<uint8_t> info;
    PutId(info, "INFO");
    PutTextChunk(info, "ISFT", kSoftware);
    PutTextChunk(info, "ISCD", date);

    const uint32_t dataSize = count * kRecordSize;
    std::vector<uint8_t> head;
    PutId(head, "RIFF");
    bytes::PutLe32(head,
                   static_cast<uint32_t>(4 + 8 + info.size() + 8 + kFormatSize + 8) + dataSize);
    PutId(head, "PL  ");
    PutId(head, "LIST");
    bytes::PutLe32(head, static_cast<uint32_t>(info.size()));
    head.insert(head.end(), info.begin(), info.end());
    PutId(head, "fmt ");
    bytes::PutLe32(head, kFormatSize);
    bytes::PutLe32(head, count);
    bytes::PutLe32(head, static_cast<uint32_t>(keySignature));
    bytes::PutLe32(head, bourdonOn ? 1 : 0);
    for (int reserved = 0; reserved < 3; ++reserved) {
        bytes::PutLe32(head, 0);
    }
    PutId(head, "data");
    bytes::PutLe32(head, dataSize);
    return head;
}

bool WriteEvents(FileOutput& out, std::span<const EventRecord> events) {
    std::vector<uint8_t> block;
    block.reserve(kRecordsPerBlock * kRecordSize);
    for (size_t first = 0; first < events.size(); first += kRecordsPerBlock) {
        block.clear();
        for (const EventRecord& e :
             events.subspan(first, std::min(kRecordsPerBlock, events.size() - first))) {
            bytes::PutLe32(block, e.delay_ms);
            bytes::PutLe32(block, e.message);
            bytes::PutLe32(block, e.key_param);
            bytes::PutLe32(block, static_cast<uint32_t>(e.octave_shift));
        }
        if (!out.Write(block.data(), block.size())) {
            return false;
        }
    }
    return true;
}

DocumentResult ReadEvents(RiffReader& reader, uint64_t offset, uint32_t count, EventList& events) {
    std::vector<uint8_t> buffer;
    try {
        events.resize(count);
        buffer.resize(kRecordsPerBlock * kRecordSize);
    } catch (const std::bad_alloc&) {
        return kCannotRead;
    }
    uint8_t* block = buffer.data();
    for (uint32_t first = 0; first < count; first += kRecordsPerBlock) {
        const uint32_t n = std::min<uint32_t>(kRecordsPerBlock, count - first);
        if (!reader.ReadAt(offset + uint64_t{first} * kRecordSize, block, n * kRecordSize)) {
            return kCannotRead;
        }
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* r = block + i * kRecordSize;
            events[first + i] = {bytes::GetLe32(r), bytes::GetLe32(r + 4), bytes::GetLe32(r + 8),
                                 static_cast<int32_t>(bytes::GetLe32(r + 12))};
        }
    }
    return {};
}

// The saving date is shown, never judged: anything unreadable just gives no date.
std::string ReadSavingDate(RiffReader& reader, uint64_t formBegin, uint64_t formEnd) {
    uint64_t position = formBegin;
    while (auto list = reader.FindChunk(FourCc("LIST"), position, formEnd)) {
        uint8_t type[4];
        if (list->size >= 4 && reader.ReadAt(list->dataOffset, type, 4) &&
            bytes::GetLe32(type) == FourCc("INFO")) {
            const uint64_t listEnd = list->dataOffset + list->size;
            auto date = reader.FindChunk(FourCc("ISCD"), list->dataOffset + 4, listEnd);
            char text[32] = {};
            if (!date || !reader.ReadAt(date->dataOffset, text,
                                        std::min<size_t>(date->size, sizeof text - 1))) {
                return {};
            }
            std::string result(text);
            for (char c : result) {
                if (c < 0x20 || c > 0x7E) {
                    return {};
                }
            }
            return result;
        }
        position = list->End();
    }
    return {};
}

}  // namespace

DocumentResult SaveDocument(std::span<const EventRecord> events, int32_t keySignature,
                            bool bourdonOn, const std::string& path, const std::string& dateText) {
    if (events.size() > kMaxDocumentEvents) {
        return kCannotWrite;
    }
    const std::vector<uint8_t> head =
        DocumentHead(static_cast<uint32_t>(events.size()), keySignature, bourdonOn,
                     dateText.empty() ? Today() : dateText);
    return WrittenDocument(WriteFileAtomically(path, [&](FileOutput& out) {
        return out.Write(head.data(), head.size()) && WriteEvents(out, events);
    }));
}

DocumentResult WrittenDocument(AtomicWriteResult result) {
    switch (result) {
        case AtomicWriteResult::kOk:
            return {};
        case AtomicWriteResult::kCannotCreate:
            return kCannotOpenToWrite;
        case AtomicWriteResult::kCannotWrite:
            break;
    }
    return kCannotWrite;
}

DocumentResult LoadDocument(const std::string& path, DocumentContents& out) {
    RiffReader reader;
    if (!reader.Open(path)) {
        return kCannotFindOrOpen;
    }
    const auto form = reader.FindForm(FourCc("PL  "));
    if (!form) {
        return kNotStandardFile;
    }
    const uint64_t formBegin = form->dataOffset + 4;
    const uint64_t formEnd = form->dataOffset + form->size;
    const auto format = reader.FindChunk(FourCc("fmt "), formBegin, formEnd);
    if (!format) {
        return kNotStandardFile;
    }
    if (format->size != kFormatSize) {
        return kNotSupportedFile;
    }
    uint8_t fields[kFormatSize];
    if (!reader.ReadAt(format->dataOffset, fields, sizeof fields)) {
        return kCannotRead;
    }
    const uint32_t count = bytes::GetLe32(fields);
    const auto keySignature = static_cast<int32_t>(bytes::GetLe32(fields + 4));
    // A key signature that is none of the 24 could be neither played nor exported.
    if (count == 0 || FindKeySignature(keySignature) == nullptr) {
        return kNotSupportedFile;
    }
    const auto data = reader.FindChunk(FourCc("data"), format->End(), formEnd);
    if (!data) {
        return kNotStandardFile;
    }
    // 64-bit, so no count can wrap around to a small size.
    const uint64_t dataSize = uint64_t{count} * kRecordSize;
    if (data->size != dataSize) {
        return kNotSupportedFile;
    }
    // A file cut short is a read that came up short, found before any memory is set aside.
    if (data->dataOffset + dataSize > reader.FileSize()) {
        return kCannotRead;
    }
    EventList events;
    if (const DocumentResult read = ReadEvents(reader, data->dataOffset, count, events);
        !read.Ok()) {
        return read;
    }
    std::string date = ReadSavingDate(reader, formBegin, formEnd);
    out.events = std::move(events);
    out.keySignature = keySignature;
    out.bourdon = bytes::GetLe32(fields + 8);
    out.dateText = std::move(date);
    return {};
}

std::string FormatDocumentMessage(const char* format, const std::string& name) {
    std::string message = format;
    const size_t slot = message.find("%s");
    if (slot != std::string::npos) {
        message.replace(slot, 2, name.empty() ? "Untitled" : name);
    }
    return message;
}

}  // namespace plinkora
