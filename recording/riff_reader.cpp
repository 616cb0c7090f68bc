#include "recording/riff_reader.h"

#include <algorithm>
#include <cstring>

#include "recording/byte_order.h"
#include "recording/file_input.h"

namespace plinkora {

namespace {

bool IsPrintableId(const uint8_t* id) {
    return std::all_of(id, id + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace

RiffReader::~RiffReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool RiffReader::Open(const std::string& path) {
    file_ = OpenRegularFile(path);
    const std::optional<uint64_t> size = file_ ? SizeOfFile(file_) : std::nullopt;
    fileSize_ = size.value_or(0);
    return size.has_value();
}

bool RiffReader::ReadDirect(uint64_t offset, uint8_t* out, size_t size) {
    return ReadFileAt(file_, offset, out, size);
}

bool RiffReader::LoadBlockAround(uint64_t offset) {
    blockStart_ = offset - offset % kBlockSize;
    block_.resize(static_cast<size_t>(std::min<uint64_t>(kBlockSize, fileSize_ - blockStart_)));
    if (!ReadDirect(blockStart_, block_.data(), block_.size())) {
        block_.clear();
        return false;
    }
    return true;
}

bool RiffReader::ReadAt(uint64_t offset, void* out, size_t size) {
    if (offset > fileSize_ || size > fileSize_ - offset) {
        return false;
    }
    auto* bytes = static_cast<uint8_t*>(out);
    if (size >= kBlockSize) {
        return ReadDirect(offset, bytes, size);
    }
    while (size > 0) {
        if (offset < blockStart_ || offset >= blockStart_ + block_.size()) {
            if (!LoadBlockAround(offset)) {
                return false;
            }
        }
        const size_t inBlock = static_cast<size_t>(offset - blockStart_);
        const size_t n = std::min(size, block_.size() - inBlock);
        std::memcpy(bytes, block_.data() + inBlock, n);
        bytes += n;
        offset += n;
        size -= n;
    }
    return true;
}

std::optional<RiffChunk> RiffReader::FindChunk(uint32_t id, uint64_t begin, uint64_t end) {
    uint64_t position = begin;
    while (position + 8 <= end) {
        uint8_t header[8];
        if (!ReadAt(position, header, sizeof header) || !IsPrintableId(header)) {
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
