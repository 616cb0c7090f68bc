#include "recording/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "recording/byte_order.h"

namespace plinkora {

namespace {

constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kPcmFormat = 1;

void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutId(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

}  // namespace

WavWriter::WavWriter(FileOutput& out, uint32_t sampleRate, uint64_t frameCount)
    : out_(out), expected_(frameCount) {
    const uint32_t blockAlign = kChannels * kBitsPerSample / 8;
    const auto dataSize = static_cast<uint32_t>(frameCount * blockAlign);
    constexpr size_t kHeaderSize = 44;
    std::vector<uint8_t> header;
    header.reserve(kHeaderSize);  // also keeps GCC from warning about the first insert
    PutId(header, "RIFF");
    bytes::PutLe32(header, 36 + dataSize);
    PutId(header, "WAVE");
    PutId(header, "fmt ");
    bytes::PutLe32(header, 16);
    PutLe16(header, kPcmFormat);
    PutLe16(header, kChannels);
    bytes::PutLe32(header, sampleRate);
    bytes::PutLe32(header, sampleRate * blockAlign);
    PutLe16(header, static_cast<uint16_t>(blockAlign));
    PutLe16(header, kBitsPerSample);
    PutId(header, "data");
    bytes::PutLe32(header, dataSize);
    out_.Write(header.data(), header.size());
}

bool WavWriter::PutFrames(const float* interleaved, int frames) {
    std::vector<uint8_t>& samples = samples_;
    samples.clear();
    for (int i = 0; i < frames * kChannels; ++i) {
        const float clamped = std::clamp(interleaved[i], -1.0f, 1.0f);
        const auto value = static_cast<int16_t>(std::lround(clamped * 32767.0f));
        PutLe16(samples, static_cast<uint16_t>(value));
    }
    written_ += static_cast<uint64_t>(frames);
    return written_ <= expected_ && out_.Write(samples.data(), samples.size());
}

bool WavWriter::Complete() const {
    return out_.Ok() && written_ == expected_;
}

}  // namespace plinkora
