#include "recording/riff_reader.h"

#include <sys/types.h>

#include "recording/byte_order.h"
#include "recording/file_input.h"

namespace plinkora {

RiffReader::~RiffReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool RiffReader::Open(const std::string& path) {
    file_ = OpenRegularFile(path);
    if (file_ == nullptr) {
        return false;
    }
    if (::fseeko(file_, 0, SEEK_END) != 0) {
        return false;
    }
    const off_t size = ::ftello(file_);
    if (size < 0) {
        return false;
    }
    fileSize_ = static_cast<uint64_t>(size);
    return true;
}

bool RiffReader::ReadAt(uint64_t offset, void* out, size_t size) {
    if (offset > fileSize_ || size > fileSize_ - offset) {
        return false;
    }
    if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return false;
    }
    return std::fread(out, 1, size, file_) == size;
}

std::optional<RiffChunk> RiffReader::FindChunk(uint32_t id, uint64_t begin, uint64_t end) {
    uint64_t position = begin;
    while (position + 8 <= end) {
        uint8_t header[8];
        if (!ReadAt(position, header, sizeof header)) {
            return std::nullopt;
        }
        const RiffChunk chunk{bytes::GetLe32(header + 4), position + 8};
        if (bytes::GetLe32(header) == id) {
            return chunk;
        }
        position = chunk.End();
    }
    return std::nullopt;
}

std::optional<RiffChunk> RiffReader::FindForm(uint32_t formType) {
    uint64_t position = 0;
    while (auto riff = FindChunk(FourCc("RIFF"), position, fileSize_)) {
        uint8_t type[4];
        if (riff->size >= 4 && ReadAt(riff->dataOffset, type, sizeof type) &&
            bytes::GetLe32(type) == formType) {
            return riff;
        }
        position = riff->End();
    }
    return std::nullopt;
}

}  // namespace plinkora
