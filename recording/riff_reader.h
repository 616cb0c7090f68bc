#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plinkora {

constexpr uint32_t FourCc(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

struct RiffChunk {
    uint32_t size;        // of the data, without header and pad byte
    uint64_t dataOffset;  // where the data starts in the file
    uint64_t End() const { return dataOffset + size + (size & 1); }  // past the pad byte
};

// Finds chunks in a RIFF file by walking their headers; offsets are 64-bit so no size field
// can wrap them. The file is read in large blocks, so walking many small chunks costs no more
// than reading the bytes they take up.
class RiffReader {
  public:
    RiffReader() = default;
    ~RiffReader();
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    bool Open(const std::string& path);
    uint64_t FileSize() const { return fileSize_; }

    // The first top-level "RIFF" chunk of this form type; its data then starts after the type.
    std::optional<RiffChunk> FindForm(uint32_t formType);
    // The first chunk with this id among the chunks laid end to end from begin up to end. An
    // id that is not four printable characters ends the chunks: whatever follows is no RIFF.
    std::optional<RiffChunk> FindChunk(uint32_t id, uint64_t begin, uint64_t end);
    // False when fewer than size bytes are there.
    bool ReadAt(uint64_t offset, void* out, size_t size);

  private:
    static constexpr size_t kBlockSize = 1 << 16;
    bool ReadDirect(uint64_t offset, uint8_t* out, size_t size);
    bool LoadBlockAround(uint64_t offset);

    std::FILE* file_ = nullptr;
    uint64_t fileSize_ = 0;
    std::vector<uint8_t> block_;  // the bytes from blockStart_ on
    uint64_t blockStart_ = 0;
};

}  // namespace plinkora
